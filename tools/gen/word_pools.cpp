#include "tools/gen/word_pools.h"

#include <QSet>
#include <algorithm>
#include <utility>

namespace testdata {

namespace {

constexpr const char* kDistricts[] = {
    "Броварської", "Баришівської",  "Бориспільської",  "Фастівської", "Обухівської",
    "Бучанської",  "Вишгородської", "Білоцерківської", "Яготинської", "Васильківської"};

constexpr const char* kSettlements[] = {
    "м. Київ",        "м. Бровари",    "смт Баришівка", "с. Велика Димерка",
    "м. Біла Церква", "м. Фастів",     "м. Ірпінь",     "м. Буча",
    "смт Бородянка",  "с. Гоголів",    "м. Васильків",  "м. Обухів",
    "м. Переяслав",   "м. Узин",       "м. Яготин",     "м. Березань",
    "с. Погреби",     "с. Княжичі",    "м. Кам'янка",   "с. Мар'янівка",
    "м. Сквира",      "м. Тетіїв",     "м. Славутич",   "м. Вишгород",
    "м. Українка",    "смт Макарів",   "смт Іванків",   "смт Рокитне",
    "м. Богуслав",    "м. Миронівка",  "м. Кагарлик",   "м. Ржищів",
    "с. Петрівське",  "с. Лук'янівка", "смт Ставище",   "м. Кам'янець-Подільський"};

constexpr const char* kStreets[] = {
    "вул. Шевченка", "вул. Незалежності", "вул. Героїв України", "просп. Перемоги",
    "вул. Соборна",  "вул. Садова",       "вул. Лесі Українки",  "вул. Грушевського",
    "пл. Ринкова",   "вул. Київська",     "вул. Франка",         "вул. В'ячеслава Чорновола"};

constexpr const char* kBrands[] = {
    "Світанок", "Колос",   "Нива",    "Дніпро",  "Явір",     "Берегиня", "Злагода",
    "Мрія",     "Обрій",   "Прогрес", "Зоря",    "Урожай",   "Веселка",  "Калина",
    "Сокіл",    "Лан",     "Надія",   "Оберіг",  "Добробут", "Пролісок", "Лелека",
    "Кобзар",   "Поділля", "Полісся", "Джерело", "Перлина",  "Сонях",    "Дружба"};

// %1 is a brand, %2 a district adjective, %3 a number.
constexpr const char* kOrgPatterns[] = {
    "ТОВ \"%1\"",
    "ПП \"%1\"",
    "ПАТ «%1»",
    "Сільськогосподарське товариство з обмеженою відповідальністю \"%1\"",
    "Комунальне підприємство \"%1\" %2 районної ради",
    "Агрофірма \"%1\"",
    "Відділ освіти %2 районної державної адміністрації",
    "Фінансове управління %2 районної державної адміністрації",
    "Управління праці та соціального захисту населення %2 РДА",
    "Загальноосвітня школа І-ІІІ ступенів № %3",
    "Дошкільний навчальний заклад (ясла-садок) \"%1\" № %3",
    "Центральна районна лікарня %2 району",
    "Сільська рада № %3",
    "Колективне сільськогосподарське підприємство ім. Т.Г. Шевченка № %3",
    "Споживче товариство \"%1\" (ліквідоване)",
    "Відділ культури і туризму %2 РДА"};

constexpr const char* kSourcePatterns[] = {"Архівний відділ %1 районної державної адміністрації",
                                           "Трудовий архів %1 району",
                                           "Ліквідаційна комісія %1 райспоживспілки"};

constexpr const char* kSources[] = {"Канцелярія",
                                    "Загальний відділ",
                                    "Відділ кадрів",
                                    "Бухгалтерія",
                                    "Юридичний відділ",
                                    "Служба діловодства",
                                    "Планово-економічний відділ",
                                    "Ліквідаційна комісія",
                                    "Державний архів Київської області",
                                    "Приватний нотаріус \\ реєстр"};

constexpr const char* kDocTypes[] = {
    "Накази з основної діяльності", "Накази з особового складу", "Протоколи засідань правління",
    "Протоколи загальних зборів", "Особові рахунки працівників", "Штатні розписи",
    "Річні фінансові звіти", "Книги обліку руху трудових книжок", "Статистичні звіти",
    "Особові справи звільнених працівників", "Відомості нарахування заробітної плати",
    "Договори оренди", "Акти ревізій і перевірок", "Кошториси витрат", "Плани роботи",
    "Положення про структурні підрозділи", "Журнали реєстрації вхідної кореспонденції",
    "Посадові інструкції", "Документи з цивільної оборони", "Рішення сесій ради",
    "Розпорядження голови", "Погосподарські книги", "Листування з \"Укртелекомом\" щодо зв'язку",
    "Звіти про використання коштів",
    // Longer than doc_caption holds: the row takes its first 100 characters.
    "Документи (протоколи, рішення, розпорядження, листування) про проведення інвентаризації "
    "майна, приватизацію державного житлового фонду та передачу об'єктів до комунальної "
    "власності територіальної громади"};

struct ExpertName {
    const char* fam;
    const char* latin;
};
constexpr ExpertName kSurnames[] = {
    {"Коваленко", "kovalenko"}, {"Шевченко", "shevchenko"},   {"Бондаренко", "bondarenko"},
    {"Ткаченко", "tkachenko"},  {"Кравченко", "kravchenko"},  {"Олійник", "oliinyk"},
    {"Поліщук", "polishchuk"},  {"Мельник", "melnyk"},        {"Лисенко", "lysenko"},
    {"Руденко", "rudenko"},     {"Дем'яненко", "demianenko"}, {"Гончаренко", "honcharenko"}};
constexpr const char* kWomen[] = {"Олена",  "Ірина",   "Тетяна", "Наталія", "Світлана",
                                  "Оксана", "Людмила", "Ганна",  "Юлія"};
constexpr const char* kWomenPatronymics[] = {"Іванівна",   "Петрівна",  "Олександрівна",
                                             "Миколаївна", "Василівна", "Григорівна"};
constexpr const char* kMen[] = {"Олександр", "Іван",   "Віктор",  "Сергій",
                                "Микола",    "Андрій", "Ярослав", "Юрій"};
constexpr const char* kMenPatronymics[] = {"Степанович", "Іванович", "Петрович", "Андрійович",
                                           "Олегович"};

constexpr const char* kNoteKinds[] = {"постійного зберігання", "з особового складу",
                                      "тривалого зберігання", "з основної діяльності"};

// Notes with the characters that break naive quoting and line handling.
constexpr const char* kSpecialNotes[] = {
    "Списки:\r\nопис № 1 справ постійного зберігання\r\nопис № 2 справ з особового складу",
    "Документи передано \"з порушенням термінів\", див. акт",
    "Справи 5\\6 та 7\\8 об'єднано",
    "Акт про вилучення для знищення документів, не внесених до НАФ\r\n(погоджено ЕПК)",
    "Шлях до копії: \\\\server\\archive\\2011\\",
    "Опис 'тимчасовий', 'уточнений' та «остаточний»"};

QString u(const char* s) { return QString::fromUtf8(s); }

// Collects texts unique as the server compares keys.
class UniqueList {
  public:
    bool add(const QString& text) {
        const QString key = text.toLower();
        if (text.isEmpty() || seen_.contains(key)) return false;
        seen_.insert(key);
        items_.append(text);
        return true;
    }
    QStringList take() { return std::exchange(items_, {}); }
    int size() const { return int(items_.size()); }

  private:
    QSet<QString> seen_;
    QStringList items_;
};

QString place(Random& rnd) {
    QString s = u(rnd.pick(kSettlements));
    if (rnd.chance(60))
        s += ", " + u(rnd.pick(kStreets)) + ", " + QString::number(rnd.between(1, 120));
    return s;
}

}  // namespace

QString fitColumn(const QString& text, int width) {
    QString s = text.left(width);
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    return s;
}

QString expertShortName(const Expert& e) {
    QString s = e.fam.value_or(QString()) + ' ';
    if (e.name && !e.name->isEmpty()) s += e.name->front();
    s += '.';
    if (e.fname && !e.fname->isEmpty()) s += e.fname->front();
    s += '.';
    return s;
}

QString documentNumber(Random& rnd) {
    switch (rnd.below(5)) {
        case 0:
            return QString::number(rnd.between(1, 400));
        case 1:
            return QString::number(rnd.between(1, 300)) + u("-к");
        case 2:
            return QString("%1-%2/%3")
                .arg(rnd.between(1, 12), 2, 10, QLatin1Char('0'))
                .arg(rnd.between(1, 30), 2, 10, QLatin1Char('0'))
                .arg(rnd.between(1, 999));
        case 3:
            return rnd.chance(25) ? QString("%1\\%2").arg(rnd.between(1, 50)).arg(rnd.between(1, 9))
                                  : QString::number(rnd.between(1, 80)) + "/" +
                                        QString::number(rnd.between(1, 9));
        default:
            return u("б/н ") + QString::number(rnd.between(1, 20));
    }
}

void makeReferenceLists(Journal& j, Random& rnd, int rows) {
    UniqueList sources;
    for (const char* s : kSources) sources.add(u(s));
    for (const char* p : kSourcePatterns)
        for (const char* d : kDistricts) sources.add(fitColumn(u(p).arg(u(d)), 100));
    j.sources = sources.take();

    UniqueList places;
    const int placeCount = std::clamp(rows / 40, 40, 300);
    for (const char* s : kSettlements) places.add(u(s));
    for (int tries = 0; places.size() < placeCount && tries < placeCount * 20; ++tries)
        places.add(fitColumn(place(rnd), 200));
    j.places = places.take();

    UniqueList orgNames;
    const int orgCount = std::clamp(rows / 15, 30, 600);
    for (int tries = 0; orgNames.size() < orgCount && tries < orgCount * 20; ++tries) {
        const QString name = fitColumn(u(rnd.pick(kOrgPatterns))
                                           .replace("%1", u(rnd.pick(kBrands)))
                                           .replace("%2", u(rnd.pick(kDistricts)))
                                           .replace("%3", QString::number(rnd.between(1, 40))),
                                       200);
        if (!orgNames.add(name)) continue;
        Organisation o{name, std::nullopt};
        if (!rnd.chance(10)) o.place = rnd.pick(j.places);
        j.organisations.push_back(std::move(o));
    }

    for (const char* t : kDocTypes) j.docTypes.append(fitColumn(u(t), 200));

    int i = 0;
    for (const ExpertName& n : kSurnames) {
        const bool woman = rnd.chance(70);
        Expert e;
        e.login = QString("%1%2").arg(n.latin).arg(++i);
        e.fam = u(n.fam);
        e.name = woman ? u(rnd.pick(kWomen)) : u(rnd.pick(kMen));
        e.fname = woman ? u(rnd.pick(kWomenPatronymics)) : u(rnd.pick(kMenPatronymics));
        if (rnd.chance(10)) e.fname = rnd.chance(50) ? std::nullopt : std::optional(QString());
        e.editFlag = rnd.chance(10) ? std::nullopt : std::optional(rnd.chance(80) ? 1 : 0);
        e.adminFlag = rnd.chance(10) ? std::nullopt : std::optional(i == 1 ? 1 : 0);
        j.experts.push_back(std::move(e));
    }

    UniqueList notes;
    for (const char* s : kSpecialNotes) notes.add(u(s));
    const int noteCount = std::clamp(rows / 50, 30, 200);
    for (int tries = 0; notes.size() < noteCount && tries < noteCount * 20; ++tries) {
        const int year = rnd.between(2000, 2025);
        QString note =
            rnd.chance(50)
                ? u("Опис № %1 справ %2 за %3 рік")
                      .arg(rnd.between(1, 30))
                      .arg(u(rnd.pick(kNoteKinds)))
                      .arg(year)
                : u("Номенклатура справ на %1 рік, розділ %2").arg(year).arg(rnd.between(1, 12));
        notes.add(fitColumn(note, 200));
    }
    j.notes = notes.take();
}

}  // namespace testdata
