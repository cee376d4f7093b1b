#include "dialogs/general_error.h"

#include "core/client_dataset.h"
#include "core/connection.h"

namespace dialogs {

QString currentErrorText() {
    try {
        throw;
    } catch (const core::DbError& e) {
        return e.message();
    } catch (const core::DataSetError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка");
    }
}

void showGeneralError(core::Prompter& prompter, const QString& text) {
    prompter.error(QString::fromUtf8(core::kAppTitle), text);
}

}  // namespace dialogs
