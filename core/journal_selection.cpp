#include "core/journal_selection.h"

namespace core {

JournalSelection::JournalSelection(QObject* parent) : QObject(parent) {}

void JournalSelection::setSelection(const QString& where, const QString& info) {
    where_ = where;
    info_ = info;
    Q_EMIT changed();
}

void JournalSelection::setOrder(const QString& order) {
    order_ = order;
    Q_EMIT changed();
}

QString JournalSelection::journalQuery() const {
    return QStringLiteral("select * from doc_list ") + where_ + order_;
}

void JournalSelection::markQueried() {
    line_ = kSelectionLinePrefix + info_;
    Q_EMIT queried(line_);
}

}  // namespace core
