#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// Turns byte counts into the short texts every screen shows: decimal units, two
// decimals in the user's locale ("1.23 GB").
class KPMemoryFormatter {
public:
    KPMemoryFormatter();

    double byteUnit() const { return byteUnit_; }
    int minimumUnit() const { return minimumUnit_; }
    int maximumUnit() const { return maximumUnit_; }
    bool showsDecimalNumbers() const { return showsDecimalNumbers_; }
    // 0 plain, 1 rate ("/s"), 2 abbreviated unit names, 3 no space before the unit.
    int formatterStyle() const { return formatterStyle_; }
    const QStringList& unitStrings() const { return unitStrings_; }
    const QStringList& unitStringsAbbr() const { return unitStringsAbbr_; }
    const QLocale& numberFormatter() const { return locale_; }

    QString stringFromBytes(double bytes) const;
    // The number text and the unit name.
    QStringList arrayFromBytes(double bytes) const;
    double convertBytes(int unit, double bytes) const;
    double convertValue(double value, int fromUnit, int toUnit) const;
    QString stringFormat() const;

private:
    double byteUnit_ = 1000.0;
    int minimumUnit_ = 0;
    int maximumUnit_ = 6;
    bool showsDecimalNumbers_ = true;
    int formatterStyle_ = 0;
    QStringList unitStrings_;
    QStringList unitStringsAbbr_;
    QLocale locale_;
};
