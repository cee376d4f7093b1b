#pragma once
// The journal databases of the server: every database whose name begins
// with the prefix, listed by its suffix; creating one from the template
// script (which moves the session onto it) and dropping one.

#include "core/prompter.h"
#include "core/session.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace admin {

// The one answer to every refused creation, a badly formed name included.
inline const char* const kCreateFailedText =
    "Не удалось создать новую базу данных.\n\rИмя базы данных должно состоять из цифр.\n\r и "
    "букв ЛАТИНСКОГО алфавита.\n\rПопробуйте создать базу данных с другим именем.";

class DatabaseCatalogue {
  public:
    struct Entry {
        QString line;      // what the list shows: the suffix, or the whole bare prefix
        QString database;  // the server's name of it
    };

    // `templatePath` is the script a new database is filled from.
    DatabaseCatalogue(core::Session& session, core::Prompter& prompter, QString templatePath,
                      QString prefix = QStringLiteral("velkor"));

    const std::vector<Entry>& entries() const { return entries_; }
    QStringList lines() const;

    // Reads the list again; when it comes out empty, offers to create the
    // first database. Server refusals are thrown.
    void refresh();
    // Asks for the suffix, creates and fills the database and moves the
    // session onto it. Messages go to the user; a refused template
    // statement is thrown.
    void create();
    // Drops the entry at `index` (-1: nothing selected) after the
    // destructive question, then refreshes.
    void drop(int index);

    // Only Latin letters, digits and underscores, at least one of them: a
    // suffix that can never change the statement or name another database.
    static bool isValidSuffix(const QString& suffix);
    // "Template/base.sql" in the given folder.
    static QString templatePathIn(const QString& folder);

  private:
    core::Session& session_;
    core::Prompter& prompter_;
    QString templatePath_;
    QString prefix_;
    std::vector<Entry> entries_;
};

}  // namespace admin
