#pragma once
// What the main window owns and the features share, each concern with its
// own owner: the settings, the session, the journal's selection and the
// client datasets on the session's connection. Features are handed the
// parts they need; nothing here holds feature logic.

#include "core/data_sets.h"
#include "core/journal_selection.h"
#include "core/session.h"
#include "core/settings_store.h"

namespace core {

struct AppContext {
    explicit AppContext(const QString& settingsPath)
        : settings(settingsPath), dataSets(session.connection()) {
        // Rows of the old database must not stay editable against the new one.
        QObject::connect(&session, &Session::databaseChanging, &session, [this] {
            for (ClientDataSet* d : dataSets.all()) d->close();
        });
    }
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    SettingsStore settings;
    Session session;
    JournalSelection selection;
    DataSets dataSets;
};

}  // namespace core
