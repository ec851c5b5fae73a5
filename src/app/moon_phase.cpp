#include "app/moon_phase.h"

#include <iterator>

namespace {
#include "app/data/moon_tables.inc"

static_assert(generated_first_year == moon_first_year && generated_last_year == moon_last_year);
static_assert(std::size(generated_tables) == moon_last_year - moon_first_year + 1);

const QString contact_sentence = QStringLiteral("Please contact Corvalen support.");

QString picture_object_name(const QString& name) {
    if (name == u"fullmoonx")
        return QStringLiteral("GIFImageFull");
    if (name == u"newmoonx")
        return QStringLiteral("GIFImagenew");
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        const QString tenths = QString(QChar(digit)) + QStringLiteral("0x");
        if (name == QStringLiteral("GifImage") + tenths)
            return QStringLiteral("GIFImage") + tenths;
        if (name == QStringLiteral("GifImageL") + tenths)
            return QStringLiteral("GIFImagel") + tenths;
    }
    return {};
}

} // namespace

QString moon_table(int year) {
    if (year < moon_first_year || year > moon_last_year)
        return {};
    return QString::fromLatin1(generated_tables[year - moon_first_year]);
}

QString moon_cell(const QString& table, int month, int day) {
    return table.mid(52 * (day - 1) + 4 * month, 4);
}

MoonPhase moon_picture(const QString& today, bool rising) {
    const qsizetype dot = today.indexOf(u'.');
    if (dot < 0)
        return {{},
                false,
                QStringLiteral("Error - no dot found in Moon Phase logic...  ") + contact_sentence +
                    QStringLiteral("  (moonp error=") + today + QStringLiteral(")")};
    const QString tenth = today.mid(dot + 1, 1);
    QString name = (rising ? QStringLiteral("GifImageL") : QStringLiteral("GifImage")) + tenth +
                   QStringLiteral("0x");
    if (today == u"1.00")
        name = QStringLiteral("fullmoonx");
    if (today == u"0.00" || (today > u"0.00" && today < u"0.10"))
        name = QStringLiteral("newmoonx");

    const QString picture = picture_object_name(name);
    if (picture.isEmpty())
        return {{},
                false,
                QStringLiteral("Error - invalid moon phase calculation...Moonfile = ") + name +
                    QStringLiteral("  ") + contact_sentence};
    return {picture, false, {}};
}

MoonPhase moon_phase_for_date(const QDate& date) {
    if (!date.isValid() || date.year() < moon_first_year || date.year() > moon_last_year)
        return {{},
                true,
                QStringLiteral("Warning - invalid year1 in moon phase logic.  ") +
                    contact_sentence};

    const auto cell_of = [](const QDate& day) {
        return moon_cell(moon_table(day.year()), day.month(), day.day());
    };
    const QString today = cell_of(date);
    const QDate next = date.addDays(1);
    if (next.year() <= moon_last_year)
        return moon_picture(today, today < cell_of(next));
    // The tables end here: the trend of the day before stands in for the next day's.
    return moon_picture(today, cell_of(date.addDays(-1)) < today);
}
