#include "admin/form_admin.h"

#include "dialogs/form_input_string.h"
#include "dialogs/general_error.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace admin {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QPushButton* button(const char* text, const char* name, const char* hint, QWidget* parent) {
    auto* b = new QPushButton(u(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    if (hint) b->setToolTip(u(hint));
    return b;
}

// A list on the left, its buttons stacked on the right.
QWidget* listPage(QListWidget* list, std::initializer_list<QPushButton*> buttons) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(list, 1);
    auto* column = new QVBoxLayout;
    for (QPushButton* b : buttons) {
        b->setParent(page);
        b->setAutoDefault(true);
        column->addWidget(b);
    }
    column->addStretch();
    layout->addLayout(column);
    list->setParent(page);
    return page;
}

// Refills the list only when its lines changed, so that a refusal keeps
// the user's selection.
void showLines(QListWidget& list, const QStringList& lines) {
    bool same = list.count() == lines.size();
    for (int i = 0; same && i < lines.size(); ++i) same = list.item(i)->text() == lines[i];
    if (same) return;
    list.clear();
    list.addItems(lines);
}

}  // namespace

TFormAdmin::TFormAdmin(core::Session& session, core::Prompter& prompter,
                       AccountDialog& accountDialog, QWidget* parent, const QString& templatePath)
    // A dialog frame without title-bar buttons: only "Закрыть окно" (or
    // Enter and Esc) closes it.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      PageControl(new QTabWidget(this)),
      ListBox_DB_list(new QListWidget),
      But_add_DB(button("Создать новую", "But_add_DB", nullptr, this)),
      But_del_DB(button("Удалить", "But_del_DB", nullptr, this)),
      But_update_DB_list(button("Обновить список", "But_update_DB_list", nullptr, this)),
      ListBox_users(new QListWidget),
      ButAddUser(button("Добавить", "ButAddUser",
                        "Добавить новую учетную запись для работы с базой данных", this)),
      But_delete_user(
          button("Удалить", "But_delete_user", "Удалить выбранную учетную запись", this)),
      But_new_password(button("Изменить пароль", "But_new_password", "Изменить пароль", this)),
      But_refresh_user_list(button("Обновить список", "But_refresh_user_list",
                                   "Обновить список пользователей", this)),
      BitBtn1(button("Закрыть окно", "BitBtn1", nullptr, this)),
      prompter_(prompter),
      catalogue_(session, prompter,
                 templatePath.isEmpty()
                     ? DatabaseCatalogue::templatePathIn(QCoreApplication::applicationDirPath())
                     : templatePath),
      accounts_(session, prompter, accountDialog),
      session_(session) {
    setObjectName("TFormAdmin");
    setWindowTitle(u("Администрирование"));
    setModal(true);
    PageControl->setObjectName("PageControl");
    ListBox_DB_list->setObjectName("ListBox_DB_list");
    ListBox_users->setObjectName("ListBox_users");

    PageControl->addTab(listPage(ListBox_DB_list, {But_add_DB, But_del_DB, But_update_DB_list}),
                        u("Базы данных"));
    PageControl->addTab(listPage(ListBox_users, {ButAddUser, But_delete_user, But_new_password,
                                                 But_refresh_user_list}),
                        u("Пользователи"));
    BitBtn1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(BitBtn1);
    layout->addLayout(bottom);
    resize(520, 380);

    connect(BitBtn1, &QPushButton::clicked, this, &TFormAdmin::BitBtn1Click);
    connect(But_update_DB_list, &QPushButton::clicked, this, &TFormAdmin::But_update_DB_listClick);
    connect(But_add_DB, &QPushButton::clicked, this, &TFormAdmin::But_add_DBClick);
    connect(But_del_DB, &QPushButton::clicked, this, &TFormAdmin::But_del_DBClick);
    connect(But_refresh_user_list, &QPushButton::clicked, this,
            &TFormAdmin::But_refresh_user_listClick);
    connect(ButAddUser, &QPushButton::clicked, this, &TFormAdmin::ButAddUserClick);
    connect(But_delete_user, &QPushButton::clicked, this, &TFormAdmin::But_delete_userClick);
    connect(But_new_password, &QPushButton::clicked, this, &TFormAdmin::But_new_passwordClick);
}

TFormAdmin::~TFormAdmin() = default;

void TFormAdmin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    dialogs::centreOverOwner(*this);
    // Each showing starts on the list of the open tab, not on the button
    // last pressed, so that Enter closes the window rather than repeating
    // a deletion.
    (PageControl->currentIndex() == 0 ? ListBox_DB_list : ListBox_users)
        ->setFocus(Qt::OtherFocusReason);
    // After the window is drawn, so that a question about an empty server
    // appears over it rather than before it.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) FormShow();
    });
}

template <class F>
void TFormAdmin::run(F&& work) {
    dialogs::guarded(prompter_, std::forward<F>(work));
    showLists();
}

void TFormAdmin::showLists() {
    showLines(*ListBox_DB_list, catalogue_.lines());
    showLines(*ListBox_users, accounts_.lines());
}

void TFormAdmin::FormShow() {
    run([this] {
        catalogue_.refresh();
        // A new database that could not be connected leaves nothing to ask.
        if (session_.connected()) accounts_.refresh();
    });
}

void TFormAdmin::BitBtn1Click() { accept(); }

void TFormAdmin::But_update_DB_listClick() {
    run([this] { catalogue_.refresh(); });
}

void TFormAdmin::But_add_DBClick() {
    run([this] { catalogue_.create(); });
}

void TFormAdmin::But_del_DBClick() {
    const int row = ListBox_DB_list->currentItem() && ListBox_DB_list->currentItem()->isSelected()
                        ? ListBox_DB_list->currentRow()
                        : -1;
    run([this, row] { catalogue_.drop(row); });
}

void TFormAdmin::But_refresh_user_listClick() {
    run([this] { accounts_.refresh(); });
}

void TFormAdmin::ButAddUserClick() {
    run([this] { accounts_.add(); });
}

void TFormAdmin::But_delete_userClick() {
    const std::optional<Account> account = selectedAccount();
    run([this, account] { accounts_.remove(account); });
}

void TFormAdmin::But_new_passwordClick() {
    const std::optional<Account> account = selectedAccount();
    run([this, account] { accounts_.newPassword(account); });
}

std::optional<Account> TFormAdmin::selectedAccount() const {
    const QListWidgetItem* item = ListBox_users->currentItem();
    const int row = ListBox_users->currentRow();
    if (!item || !item->isSelected() || row < 0 || row >= int(accounts_.accounts().size()))
        return std::nullopt;
    return accounts_.accounts()[size_t(row)];
}

}  // namespace admin
