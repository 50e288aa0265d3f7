#include "app/drivecombobox.h"

#include "app/browserlinemodel.h"
#include "app/glyphs.h"
#include "shell/localtext.h"
#include "platform/errors.h"
#include "platform/workdir.h"

#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

// Every drive glyph is 16 x 11; the text keeps its place when one is missing.
constexpr int glyphWidth = 16;
constexpr int glyphHeight = 11;

DriveComboBox::VolumeSource &volumeSource()
{
    static DriveComboBox::VolumeSource source;
    return source;
}

const char *glyphName(platform::VolumeType type)
{
    switch (type) {
    case platform::VolumeType::Removable: return "floppy";
    case platform::VolumeType::Fixed: return "hard";
    case platform::VolumeType::Remote: return "network";
    case platform::VolumeType::CdRom: return "cdrom";
    case platform::VolumeType::RamDisk: return "ram";
    }
    return "hard";
}

// The entry's glyph by name, so each paint device gets the art for its pixel ratio.
constexpr int GlyphNameRole = Qt::UserRole + 1;

// One entry as the box and its list draw it: glyph 2 px in, text after it, both centred on the height.
void drawEntry(QPainter *painter, const QRect &rect, const QString &glyphName, const QString &text, const QColor &ink)
{
    const int glyphTop = rect.top() + (rect.height() - glyphHeight) / 2;
    const QPixmap glyph = ::glyph(glyphName, painter->device()->devicePixelRatioF());
    if (!glyph.isNull())
        painter->drawPixmap(rect.left() + 2, glyphTop, glyph);
    const QRect textRect = rect.adjusted(glyphWidth + 6, 0, 0, 0);
    painter->save();
    painter->setClipRect(textRect.intersected(rect));
    painter->setPen(ink);
    // No mnemonic flag: an "&" in a label shows as itself.
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}

class DriveEntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        drawEntry(painter, option.rect, index.data(GlyphNameRole).toString(),
                  index.data(Qt::DisplayRole).toString(),
                  option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int textWidth = option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
        return QSize(glyphWidth + 6 + textWidth + 2, qMax(option.fontMetrics.height(), glyphHeight));
    }
};

// The open list and the closed box both pick by typed prefix through the view's keyboard search.
class DriveListView : public QListView
{
public:
    void keyboardSearch(const QString &search) override
    {
        const int row = firstRowStartingWith(m_prefix.type(search));
        if (row >= 0)
            setCurrentIndex(model()->index(row, 0));
    }

private:
    // Every mount point begins with "/", so typing "m" also finds "/media/...".
    int firstRowStartingWith(const QString &prefix) const
    {
        for (int row = 0; row < model()->rowCount(); ++row) {
            const QString text = model()->index(row, 0).data().toString();
            if (text.startsWith(prefix, Qt::CaseInsensitive)
                || (text.startsWith(QLatin1Char('/')) && text.mid(1).startsWith(prefix, Qt::CaseInsensitive)))
                return row;
        }
        return -1;
    }

    SearchPrefix m_prefix;
};

} // namespace

DriveComboBox::DriveComboBox(QWidget *parent) : QComboBox(parent), m_source(volumeSource())
{
    if (!m_source)
        m_source = platform::mountedVolumes;
    setView(new DriveListView);
    setItemDelegate(new DriveEntryDelegate(this));
    m_volumes = m_source();
    try {
        m_drive = mountPointOf(platform::currentDirectory());
    } catch (const EInOutError &) {
        m_drive = "/"; // the working directory was removed under us; the root always exists
    }
    connect(this, &QComboBox::activated, this, [this](int index) { SelectDrive(entryMountPoint(index)); });
}

void DriveComboBox::setVolumeSource(VolumeSource source)
{
    volumeSource() = std::move(source);
}

std::string DriveComboBox::mountPointOf(const std::string &path) const
{
    return platform::mountPointOf(m_volumes, path);
}

std::string DriveComboBox::entryMountPoint(int index) const
{
    return itemData(index, Qt::UserRole).toByteArray().toStdString();
}

void DriveComboBox::ListDrives()
{
    clear();
    m_volumes = m_source();
    for (const platform::Volume &volume : m_volumes) {
        addItem(QIcon(), fromLocalBytes(platform::driveEntryText(volume)),
                QByteArray(volume.mountPoint.data(), qsizetype(volume.mountPoint.size())));
        const QString name = QString::fromLatin1(glyphName(volume.type));
        setItemData(count() - 1, glyph(name), Qt::DecorationRole);
        setItemData(count() - 1, name, GlyphNameRole);
    }
    setCurrentIndex(-1); // adding the first entry selected it; SelectDrive decides
    emit volumesListed(m_volumes);
}

void DriveComboBox::SelectDrive(const std::string &mountPoint)
{
    if (!showDrive(mountPoint))
        return;
    emit drivePicked(m_drive);
}

void DriveComboBox::followDrive(const std::string &mountPoint)
{
    showDrive(mountPoint);
}

// Makes the volume the drive and selects its entry (an unlisted one leaves the selection);
// false when it is the drive shown already.
bool DriveComboBox::showDrive(const std::string &mountPoint)
{
    if (currentIndex() >= 0 && mountPoint == m_drive)
        return false;
    m_drive = mountPoint;
    for (int row = 0; row < count(); ++row) {
        if (entryMountPoint(row) == mountPoint) {
            setCurrentIndex(row);
            break;
        }
    }
    return true;
}

void DriveComboBox::showEvent(QShowEvent *event)
{
    QComboBox::showEvent(event);
    if (m_listed)
        return;
    m_listed = true;
    ListDrives();
    SelectDrive(m_drive);
}

void DriveComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const bool highlighted = hasFocus() && !view()->isVisible();
    painter.fillRect(field, palette().brush(highlighted ? QPalette::Highlight : QPalette::Base));
    if (currentIndex() < 0)
        return;
    drawEntry(&painter, field, itemData(currentIndex(), GlyphNameRole).toString(), currentText(),
              palette().color(highlighted ? QPalette::HighlightedText : QPalette::Text));
}
