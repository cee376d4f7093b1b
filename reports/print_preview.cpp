#include "reports/print_preview.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QToolBar>
#include <memory>

namespace reports {

namespace {

// Laying out many thousands of rows takes a while: a progress window shows
// how far it got and lets the user stop with the pages made so far.
class LayoutProgress {
  public:
    explicit LayoutProgress(QWidget* parent) : parent_(parent) {}
    bool operator()(int done, int total) {
        if (!dialog_) {
            dialog_ =
                std::make_unique<QProgressDialog>(QStringLiteral("Подготовка страниц..."),
                                                  QStringLiteral("Остановить"), 0, total, parent_);
            dialog_->setWindowTitle(QStringLiteral("Печать"));
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(700);
        }
        dialog_->setValue(done);
        return !dialog_->wasCanceled();
    }
    ~LayoutProgress() {
        if (dialog_) dialog_->reset();
    }

  private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace

bool savePdf(const GridPrinter& printout, const QPrinter& layoutFrom, const QString& path,
             const PrintProgress& progress) {
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setPageLayout(layoutFrom.pageLayout());
    pdf.setFullPage(false);
    printout.applyPageLayout(pdf);
    return printout.print(pdf, progress) > 0;
}

void showPrintPreview(const GridPrinter& printout, QPrinter& printer, core::Prompter& prompter,
                      QWidget* parent) {
    printout.applyPageLayout(printer);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    // Pages want room: most of the screen rather than the toolkit's small default.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        dialog.resize(free.width() * 4 / 5, free.height() * 9 / 10);
        dialog.move(free.center() - dialog.rect().center());
    }
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        LayoutProgress progress(&dialog);
        printout.print(*target, std::ref(progress));
    });
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* save = bar->addAction(QStringLiteral("PDF"));
        save->setObjectName(QStringLiteral("ActionSavePdf"));
        save->setToolTip(QStringLiteral("Сохранить в файл PDF"));
        QObject::connect(save, &QAction::triggered, &dialog, [&] {
            const std::optional<QString> path =
                prompter.saveFileName(QStringLiteral("Сохранить в файл PDF"),
                                      QStringLiteral("Файлы PDF (*.pdf)"), QStringLiteral("pdf"));
            if (!path) return;
            LayoutProgress progress(&dialog);
            if (!savePdf(printout, printer, *path, std::ref(progress)))
                prompter.error(
                    QStringLiteral("Ошибка"),
                    QStringLiteral("Не удалось записать файл ") + QDir::toNativeSeparators(*path));
        });
    }
    dialog.exec();
}

}  // namespace reports
