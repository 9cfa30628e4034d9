#include "results/memory_formatter.h"

#include <cmath>

KPMemoryFormatter::KPMemoryFormatter()
    : unitStrings_{QStringLiteral("bytes"), QStringLiteral("KB"), QStringLiteral("MB"),
                   QStringLiteral("GB"),    QStringLiteral("TB"), QStringLiteral("PB"),
                   QStringLiteral("EB")},
      unitStringsAbbr_{QStringLiteral("b"), QStringLiteral("K"), QStringLiteral("M"),
                       QStringLiteral("G"), QStringLiteral("T"), QStringLiteral("P"),
                       QStringLiteral("E")} {
    // A plain number formatter: no grouping, so 999,999 bytes reads "1000.00 KB".
    locale_.setNumberOptions(locale_.numberOptions() | QLocale::OmitGroupSeparator);
}

QStringList KPMemoryFormatter::arrayFromBytes(double bytes) const {
    double value = convertValue(bytes, 0, minimumUnit_);
    int unit = minimumUnit_;
    while (value >= byteUnit_ && unit < maximumUnit_) {
        value /= byteUnit_;
        ++unit;
    }
    const QStringList& names = formatterStyle_ == 2 ? unitStringsAbbr_ : unitStrings_;
    const QString number = value == 0 ? QStringLiteral("0.0") : locale_.toString(value, 'f', 2);
    return {number, names.at(std::min(unit, 6))};
}

QString KPMemoryFormatter::stringFromBytes(double bytes) const {
    const QStringList parts = arrayFromBytes(bytes);
    return parts.at(0) + u' ' + parts.at(1);
}

double KPMemoryFormatter::convertBytes(int unit, double bytes) const {
    return unit > 0 ? bytes / std::pow(byteUnit_, unit) : bytes;
}

double KPMemoryFormatter::convertValue(double value, int fromUnit, int toUnit) const {
    if (fromUnit == 0) return convertBytes(toUnit, value);
    if (toUnit >= fromUnit) return value;
    return value * std::pow(byteUnit_, fromUnit - toUnit);
}

QString KPMemoryFormatter::stringFormat() const {
    QString format = showsDecimalNumbers_ ? QStringLiteral("%0.1f") : QStringLiteral("%0.0f");
    format += formatterStyle_ == 3 ? QStringLiteral("%@") : QStringLiteral(" %@");
    if (formatterStyle_ == 1) format += QStringLiteral("/s");
    return format;
}
