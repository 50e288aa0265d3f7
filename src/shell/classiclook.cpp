#include "shell/classiclook.h"

#include <QApplication>
#include <QFontMetrics>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWidget>

namespace {

/**
 * Qt's "Windows" style draws sunken 3D list and edit boxes and puts group captions on the frame
 * line; over it, the classic 13-pixel radio indicator and the classic gap before a caption.
 */
class ClassicStyle : public QProxyStyle
{
public:
    ClassicStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override;
};

int ClassicStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return 13;
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing: {
        // The classic controls leave half the width of a "0" of the caption's font. The base style
        // counts a check box's spacing from the indicator's last pixel, a radio button's after it.
        const QFontMetrics metrics = widget ? widget->fontMetrics() : QFontMetrics(QApplication::font());
        return metrics.horizontalAdvance(QLatin1Char('0')) / 2 + (metric == PM_CheckBoxLabelSpacing ? 1 : 0);
    }
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

// Every role set, so that none is filled in from the desktop's theme.
QPalette everyRoleSet(const QPalette &palette)
{
    QPalette full;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto colorGroup = QPalette::ColorGroup(group);
            const auto colorRole = QPalette::ColorRole(role);
            full.setBrush(colorGroup, colorRole, palette.brush(colorGroup, colorRole));
        }
    }
    return full;
}

} // namespace

void installClassicLook(QApplication &application)
{
    // Otherwise the desktop's theme supplies each of these, and again whenever it changes: the
    // style's icons (asked of the theme while the application is desktop-settings aware), the
    // style itself, the palette and the fonts of every kind of widget.
    QApplication::setDesktopSettingsAware(false);
    auto *style = new ClassicStyle;
    application.setStyle(style);
    application.setPalette(everyRoleSet(style->standardPalette()));
    QFont font(QStringLiteral("Liberation Sans"), 8);
    // Whole-pixel advances, as the classic renderer gives, so captions measure what they draw.
    font.setHintingPreference(QFont::PreferFullHinting);
    application.setFont(font);
}
