#pragma once
// Names of the journal database: tables, the database prefix and the group
// tags of the client datasets.

#include <QString>
#include <array>

namespace core::schema {

inline const QString kDatabasePrefix = QStringLiteral("velkor");
inline const QString kJournalTable = QStringLiteral("doc_list");
inline const QString kDataSetPrefix = QStringLiteral("ClientDataSet_");

// The reference lists in the order their datasets are created, which is the
// order they are opened at login.
inline const std::array<QString, 6> kReferenceTables = {
    QStringLiteral("sprav_source_list"),  QStringLiteral("sprav_place_list"),
    QStringLiteral("sprav_org_list"),     QStringLiteral("sprav_expert_list"),
    QStringLiteral("sprav_doctype_list"), QStringLiteral("sprav_adv_info")};

constexpr int kReferenceTag = 100;
constexpr int kJournalTag = 200;

}  // namespace core::schema
