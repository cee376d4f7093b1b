#pragma once
// A journal-shaped table of generated rows for the grid benchmark and demo:
// stored fields and composed display texts, all made once up front, as the
// journal's own model keeps them.

#include "grid/grid_column.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QStringList>
#include <vector>

enum JournalLikeColumn {
    kRecIdn,
    kDocSource,
    kPrDate,
    kParentName,
    kDocCaption,
    kColum3,
    kColum4,
    kColum5,
    kColum6,
    kExpertFio,
    kAdvInfo,
    kColumnCount
};

class JournalLikeModel : public QAbstractTableModel {
  public:
    explicit JournalLikeModel(int rows, QObject* parent = nullptr) : QAbstractTableModel(parent) {
        const QStringList sources = {"Архівний відділ", "Міська рада", "Районна адміністрація",
                                     "Управління освіти", "Обласний архів"};
        const QStringList orgs = {"Завод «Прогрес»",  "Школа № 5",          "Лікарня № 2",
                                  "Інститут історії", "Колгосп «Світанок»", "Банк «Україна»"};
        const QStringList places = {"м. Київ", "м. Львів", "м. Харків", "м. Одеса"};
        const QStringList captions = {"Накази", "Протоколи", "Листування", "Звіти", "Кошториси"};
        const QStringList experts = {"Іваненко І.І.", "Петренко П.П.", "Сидоренко С.С."};
        quint32 seed = 12345;
        const auto next = [&seed](int n) {
            seed = seed * 1664525u + 1013904223u;
            return int((seed >> 8) % quint32(n));
        };
        rows_.reserve(rows);
        for (int r = 0; r < rows; ++r) {
            std::vector<QVariant> row(kColumnCount);
            const QDate date = QDate(2005, 1, 1).addDays(next(5000));
            const QString num = QString::number(1 + next(40));
            const QString org = orgs[next(orgs.size())], place = places[next(places.size())];
            const QString caption = captions[next(captions.size())];
            row[kRecIdn] = r + 1;
            row[kDocSource] = sources[next(sources.size())];
            row[kPrDate] = date.toString("dd.MM.yyyy");
            row[kParentName] = org;
            row[kDocCaption] = caption;
            row[kColum3] = QString(row[kPrDate].toString() + "\n№ " + num);
            row[kColum4] = QString(org + "\n" + place);
            row[kColum5] = QString(caption + " № " + QString::number(next(500)) + ", " +
                                   QString::number(1950 + next(60)));
            row[kColum6] = QString("од.зб. %1\nод.обл. %2\nстатей %3\nпозицій %4\nаркушів %5")
                               .arg(next(100))
                               .arg(next(100))
                               .arg(next(50))
                               .arg(next(50))
                               .arg(next(900));
            row[kExpertFio] = experts[next(experts.size())];
            row[kAdvInfo] = next(4) == 0 ? QString("список %1").arg(next(30)) : QString();
            rows_.push_back(std::move(row));
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
        return rows_[std::size_t(index.row())][std::size_t(index.column())];
    }

  private:
    std::vector<std::vector<QVariant>> rows_;
};

// The journal's grid columns over this model; the first four are frozen.
inline QList<grid::GridColumn> journalLikeColumns() {
    const auto column = [](int source, const char* title, int width, Qt::Alignment alignment,
                           bool button, int filter) {
        return grid::GridColumn(source, QString::fromUtf8(title), width, alignment, button, filter);
    };
    return {
        column(kRecIdn, "Ид. №|1", 44, Qt::AlignCenter, true, kRecIdn),
        column(kDocSource, "Звідки надійшли документи|2", 200, Qt::AlignLeft, true, kDocSource),
        column(kColum3, "Дата та № протоколу засідання ЕПК|3", 180, Qt::AlignCenter, false,
               kPrDate),
        column(kColum4, "Назва організації (фондоутворювач), його місцезнаходження|4", 190,
               Qt::AlignLeft, false, kParentName),
        column(kColum5, "Назва документа (№, рік (роки))|5", 160, Qt::AlignCenter, false,
               kDocCaption),
        column(kColum6, "Кількість од.зб./од.обл. (статей, позицій), друк. аркушів|6", 150,
               Qt::AlignCenter, false, -1),
        column(kExpertFio, "П.І.Б. експерта|7", 165, Qt::AlignCenter, true, kExpertFio),
        column(kAdvInfo, "Примітка (списки)|8", 114, Qt::AlignCenter, true, kAdvInfo),
    };
}
