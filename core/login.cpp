#include "core/login.h"

#include "core/schema.h"

namespace core {

void ActionLoginExecute(AppContext& context, LoginDialog& dialog, Prompter& prompter) {
    Settings& settings = context.settings.values();
    const std::optional<LoginAnswer> answer =
        dialog.ask({settings.base_name, settings.login_log, settings.default_login});
    if (!answer) return;

    settings.base_name = answer->suffix;
    Session& session = context.session;
    try {
        session.open(settings.HostName, answer->suffix, answer->login, answer->password);
    } catch (const DbError&) {  // the cause is logged by the connection
        ErrorBox(prompter, QStringLiteral("Не могу подключиться к серверу"));
        return;
    }

    settings.default_login = session.login_name();
    addToLoginLog(settings, session.login_name());
    context.settings.save();
    session.enableAdministration();
    if (session.onServerDatabase()) return;

    if (!context.dataSets.OpenDataSets(schema::kReferenceTag, prompter)) {
        ErrorBox(prompter, QStringLiteral("Не удалось подключить справочники."));
        return;
    }

    {
        auto r = session.connection().query(QByteArray("select max(pr_date) as rez from doc_list"));
        if (r->next()) {
            const FieldValue rez = r->field(u"rez");
            const QDate d = rez.asDate();
            if (!rez.isNull() && d.isValid())
                context.selection.setSelection(
                    " where pr_date='" + d.toString(QStringLiteral("yyyy-MM-dd")) + "'",
                    " дата протокола: " + d.toString(QStringLiteral("dd.MM.yyyy")));
        }
    }
    RunJournalQuery(context.dataSets.journal(), context.selection);
}

bool actionEnabled(ActionGroup group, const Session& session) {
    if (group == ActionGroup::Always) return true;
    if (!session.connected()) return false;
    if (group == ActionGroup::Admin) return session.admin_enabled();
    return true;
}

}  // namespace core
