#pragma once
// A read lock on one table for as long as the export reads it, so that the
// count line and the rows it writes always agree: a writer that came between
// "select count(*)" and "select *" would leave an archive whose count line
// lies. An account that may not lock tables still gets its export, as
// before, and the import's count check speaks for such archives.

#include "core/connection.h"
#include "core/logging.h"

#include <QByteArray>

namespace backup {

class TableReadLock {
  public:
    TableReadLock(core::Connection& c, const QByteArray& qualifiedTable) : c_(c) {
        try {
            c_.execute("LOCK TABLES " + qualifiedTable + " READ");
            locked_ = true;
        } catch (const core::DbError& e) {
            if (!refused(e.number())) throw;
            qCWarning(core::lcDb) << "export without a read lock:" << e.number() << e.detail();
        }
    }
    // Released on every way out: a lock left on the session's connection
    // would refuse every later statement on other tables.
    ~TableReadLock() {
        if (!locked_) return;
        try {
            c_.execute(QByteArray("UNLOCK TABLES"));
        } catch (const core::DbError& e) {
            qCWarning(core::lcDb) << "unlock tables:" << e.number() << e.detail();
        }
    }
    TableReadLock(const TableReadLock&) = delete;
    TableReadLock& operator=(const TableReadLock&) = delete;

  private:
    // ER_DBACCESS_DENIED_ERROR, ER_TABLEACCESS_DENIED_ERROR,
    // ER_SPECIFIC_ACCESS_DENIED_ERROR.
    static bool refused(unsigned number) {
        return number == 1044 || number == 1142 || number == 1227;
    }
    core::Connection& c_;
    bool locked_ = false;
};

}  // namespace backup
