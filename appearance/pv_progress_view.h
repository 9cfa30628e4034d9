#pragma once

#include <QColor>
#include <QWidget>
#include <map>
#include <optional>

#include "appearance/theme_update.h"

// A rounded horizontal bar filled to a fraction, whose fill colour may change with the
// value (a drive's fullness: green, then orange, then red).
class PVProgressView : public QWidget {
    Q_OBJECT
public:
    explicit PVProgressView(QWidget* parent = nullptr);

    // The filled fraction, 0 to 1.
    double doubleValue() const { return doubleValue_; }
    void setDoubleValue(double value);
    QColor fillColor() const { return fillColor_; }
    void setFillColor(const QColor& color);
    // Threshold -> colour. When set, the colour of the highest threshold not above the
    // value fills the bar, instead of fillColor.
    std::optional<std::map<double, QColor>> fillColors() const { return fillColors_; }
    void setFillColors(const std::optional<std::map<double, QColor>>& colors);
    // The track's colour; none draws no track.
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);

    QColor currentFillColor() const;
    // Half the bar's height, rounded.
    qreal cornerRadius() const;

    QSize sizeHint() const override { return QSize(200, 10); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double doubleValue_ = 0.5;
    QColor fillColor_;
    std::optional<std::map<double, QColor>> fillColors_;
    QColor backgroundColor_;
};

// A bar whose colours are theme keys: a fill colour, a dictionary of threshold colours
// and the track colour.
class PVThemableProgressView : public PVProgressView, public KPThemeUpdateProtocol {
    Q_OBJECT
public:
    explicit PVThemableProgressView(QWidget* parent = nullptr);

    QString fillColorKey() const { return fillColorKey_; }
    void setFillColorKey(const QString& key);
    QString fillColorDictKey() const { return fillColorDictKey_; }
    void setFillColorDictKey(const QString& key);
    QString backgroundColorKey() const { return backgroundColorKey_; }
    void setBackgroundColorKey(const QString& key);

    bool isConfigured() const { return themeObserver_.isConfigured(); }
    void applyTheme() override;

private:
    QString fillColorKey_;
    QString fillColorDictKey_;
    QString backgroundColorKey_;
    KPThemeObserver themeObserver_;
};
