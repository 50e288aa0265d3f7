// Batches through the real main window on a volume the test is pointed at, checking by content
// hash that no photograph is lost or changed and that the names follow the rules. Everything
// skips unless QUARIMO_VOLUME_FOLDER names a folder (make test-volumes sets it inside its VM to a
// folder on each real volume and share). On a card it can also be filled up first
// (QUARIMO_VOLUME_FILL=1) or pulled while a batch runs: QUARIMO_VOLUME_PULL names a file made just
// before the batch starts, for the harness to swap the card for a failing one, and
// QUARIMO_VOLUME_VERIFY then names that run's manifest, to check the card after it is mounted again.
#include "guitestutil.h"
#include "ui_mainform.h"

#include <QAbstractButton>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QtTest>
#include <unistd.h>

namespace {

const QDateTime FirstShot(QDate(2015, 9, 27), QTime(15, 5, 30));

/** Three shots a second, so that same-second names collide. */
QString stampOf(int photo, const QString &format = QStringLiteral("yyyy-MM-dd HH-mm-ss"))
{
    return FirstShot.addSecs(photo / 3).toString(format);
}

/** A photograph whose bytes are its own: its capture date, then its number as padding. */
QByteArray photograph(int photo)
{
    return exifJpeg(stampOf(photo, QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1())
           + QByteArray("photograph ") + QByteArray::number(photo).repeated(200);
}

QByteArray hashOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

/** Content hash → name of every file in the folder; a second file of the same content is a failure. */
QMap<QByteArray, QString> contents(const QString &folder, QStringList *doubles = nullptr)
{
    QMap<QByteArray, QString> byHash;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray hash = hashOf(folder + QLatin1Char('/') + name);
        if (byHash.contains(hash) && doubles)
            *doubles << name;
        byHash.insert(hash, name);
    }
    return byHash;
}

/** Fails the running test unless every content is still there once; the names after, by the names before. */
QMap<QString, QString> namesAfter(const QMap<QByteArray, QString> &before, const QString &folder)
{
    QStringList doubles;
    const QMap<QByteArray, QString> after = contents(folder, &doubles);
    QMap<QString, QString> renamed;
    QStringList lost;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.contains(it.key()))
            renamed.insert(it.value(), after.value(it.key()));
        else
            lost << it.value();
    }
    if (!lost.isEmpty() || !doubles.isEmpty() || after.size() != before.size())
        QTest::qFail(qPrintable(QStringLiteral("lost or changed: %1; twice: %2; %3 files before, %4 after")
                                    .arg(lost.join(u", "), doubles.join(u", "))
                                    .arg(before.size())
                                    .arg(after.size())),
                     __FILE__, __LINE__);
    return renamed;
}

/** The first Information box, "" when none came. */
QString informationText(const QStringList &boxes)
{
    const QString information = QString::number(int(QMessageBox::Information));
    for (const QString &box : boxes)
        if (box.startsWith(QLatin1String("Information|")) && box.endsWith(QLatin1Char('|') + information))
            return box.section(QLatin1Char('|'), 1, -2);
    return {};
}

/** Whether the report names `kept` (old names) as photographs that kept their names, in its own words. */
void expectReportOf(const QStringList &kept, const QStringList &boxes)
{
    if (kept.isEmpty())
        return;
    const QString report = informationText(boxes);
    const QString opening = kept.size() == 1 ? QStringLiteral("1 photograph kept its name.")
                                             : QStringLiteral("%1 photographs kept their names.").arg(kept.size());
    if (!report.startsWith(opening)) {
        QTest::qFail(qPrintable(QStringLiteral("%1 photographs kept their names, but the report was \"%2\"; boxes: %3")
                                    .arg(kept.size())
                                    .arg(report, boxes.join(u" / "))),
                     __FILE__, __LINE__);
        return;
    }
    for (const QString &name : kept.mid(0, 10))
        if (!report.contains(name))
            QTest::qFail(qPrintable(QStringLiteral("the report leaves out %1").arg(name)), __FILE__, __LINE__);
}

} // namespace

class VolumeBatchTest : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void dateBatchKeepsEveryPhotograph();
    void cameraReadyBatchKeepsEveryPhotograph();
    void reservedCharacterInTheUserText();
    void fullCardReportsWhatKeptItsName();
    void pulledCardLosesNothing();
    void cardAfterThePull();

private:
    /** A fresh folder on the volume, made the working directory, with `count` photographs named by `name`. */
    QMap<QByteArray, QString> writePhotographs(int count, const char *name);
    void renameAll(const char *rule, const QString &userText = {});
    QStringList m_boxes;
};

void VolumeBatchTest::initTestCase()
{
    const QString folder = qEnvironmentVariable("QUARIMO_VOLUME_FOLDER");
    if (folder.isEmpty())
        QSKIP("QUARIMO_VOLUME_FOLDER names no folder on a volume to try (make test-volumes sets it)");
    QVERIFY2(QDir(folder).exists(), qPrintable(folder));
    // The window tests' temporary folders go where QDir::tempPath() points.
    qputenv("TMPDIR", folder.toLocal8Bit());
}

void VolumeBatchTest::cleanup()
{
    closeAll();
    m_boxes.clear();
}

QMap<QByteArray, QString> VolumeBatchTest::writePhotographs(int count, const char *name)
{
    makeFolder();
    for (int photo = 0; photo < count; ++photo)
        m_folder->writeFile(QString::asprintf(name, photo + 1), photograph(photo));
    const QMap<QByteArray, QString> before = contents(m_folder->path());
    if (before.size() != count)
        QTest::qFail("the photographs could not all be written", __FILE__, __LINE__);
    return before;
}

void VolumeBatchTest::renameAll(const char *rule, const QString &userText)
{
    start();
    MessageBoxCatcher catcher;
    QTest::mouseClick(m_form->findChild<QAbstractButton *>(rule), Qt::LeftButton);
    if (!userText.isEmpty()) {
        QTest::mouseClick(u->userstring, Qt::LeftButton);
        QTest::keyClicks(u->user, userText);
    }
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    QTest::mouseClick(u->Rename, Qt::LeftButton);
    QTest::qWait(200); // a box raised at the very end is caught too
    m_boxes = catcher.seen();
}

void VolumeBatchTest::dateBatchKeepsEveryPhotograph()
{
    const QMap<QByteArray, QString> before = writePhotographs(200, "photo %03d.jpg");
    renameAll("bname02");
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join(u" / ")));

    // Each photograph is named by its own capture second; the same second again takes the next suffix.
    const QMap<QString, QString> renamed = namesAfter(before, m_folder->path());
    QSet<int> suffixes;
    for (auto it = renamed.cbegin(); it != renamed.cend(); ++it) {
        const int photo = it.key().mid(6, 3).toInt() - 1;
        const auto match = QRegularExpression(QStringLiteral("^%1(?:-a(\\d{2,}))?\\.jpg$").arg(stampOf(photo)))
                               .match(it.value());
        QVERIFY2(match.hasMatch(), qPrintable(it.key() + " became " + it.value()));
        if (match.hasCaptured(1))
            suffixes.insert(match.captured(1).toInt());
    }
    QCOMPARE(suffixes.size(), 200 - 200 / 3 - 1);
    QCOMPARE(*std::max_element(suffixes.cbegin(), suffixes.cend()), int(suffixes.size()));
}

void VolumeBatchTest::cameraReadyBatchKeepsEveryPhotograph()
{
    const QMap<QByteArray, QString> before = writePhotographs(120, "Photo %03d.JPG");
    start();
    const QStringList listed = fileLines();
    MessageBoxCatcher catcher;
    QTest::mouseClick(u->AllPics, Qt::LeftButton);
    u->Canon1->trigger();
    QVERIFY2(catcher.seen().isEmpty(), qPrintable(catcher.seen().join(u" / ")));

    const QMap<QString, QString> renamed = namesAfter(before, m_folder->path());
    QCOMPARE(listed.size(), 120);
    for (int line = 0; line < listed.size(); ++line)
        QCOMPARE(renamed.value(listed[line]), QString::asprintf("IMG_%04d.JPG", line + 1));
}

void VolumeBatchTest::reservedCharacterInTheUserText()
{
    const QMap<QByteArray, QString> before = writePhotographs(8, "photo %d.jpg");
    QFile probe(m_folder->path() + QStringLiteral("/trip: day 0"));
    const bool holdsColons = probe.open(QIODevice::WriteOnly);
    probe.remove();
    renameAll("bname05", QStringLiteral("trip: day 1"));

    const QMap<QString, QString> renamed = namesAfter(before, m_folder->path());
    QStringList kept;
    for (auto it = renamed.cbegin(); it != renamed.cend(); ++it)
        if (it.key() == it.value())
            kept << it.key();
    if (holdsColons) {
        QVERIFY2(kept.isEmpty(), qPrintable(kept.join(u", ")));
        QCOMPARE(renamed.value("photo 1.jpg"), QStringLiteral("001 trip: day 1.jpg"));
    } else {
        QCOMPARE(kept.size(), 8);
        expectReportOf(kept, m_boxes);
    }
}

void VolumeBatchTest::fullCardReportsWhatKeptItsName()
{
    if (qEnvironmentVariable("QUARIMO_VOLUME_FILL") != QLatin1String("1"))
        QSKIP("QUARIMO_VOLUME_FILL=1 lets the test fill the volume");
    // Short upper-case names take one directory entry on a card; the dated names take several.
    const QMap<QByteArray, QString> before = writePhotographs(2000, "P%04d.JPG");
    {
        QFile filler(m_folder->path() + QStringLiteral("/filler.bin"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1 << 20, '\0');
        for (qsizetype size = block.size(); size >= 512; size /= 16)
            while (filler.write(block.constData(), size) == size) {
            }
    }
    renameAll("bname00");
    QFile::remove(m_folder->path() + QStringLiteral("/filler.bin"));

    const QMap<QString, QString> renamed = namesAfter(before, m_folder->path());
    QStringList kept;
    for (auto it = renamed.cbegin(); it != renamed.cend(); ++it) {
        if (it.key() == it.value())
            kept << it.key();
        else
            QCOMPARE(it.value(), stampOf(it.key().mid(1, 4).toInt() - 1) + QLatin1Char(' ') + it.key());
    }
    qInfo("full card: %lld of 2000 renamed, %lld kept their names", qlonglong(2000 - kept.size()),
          qlonglong(kept.size()));
    expectReportOf(kept, m_boxes);
}

void VolumeBatchTest::pulledCardLosesNothing()
{
    const QString signal = qEnvironmentVariable("QUARIMO_VOLUME_PULL");
    if (signal.isEmpty())
        QSKIP("QUARIMO_VOLUME_PULL names the file that tells the harness when to pull the card");
    const QMap<QByteArray, QString> before = writePhotographs(3000, "p%04d.jpg");
    QFile manifest(signal + QStringLiteral(".manifest"));
    QVERIFY(manifest.open(QIODevice::WriteOnly | QIODevice::Text));
    manifest.write(QDir(m_folder->path()).dirName().toUtf8() + '\n');
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        manifest.write(it.key() + '\t' + it.value().toUtf8() + '\n');
    manifest.close();
    ::sync();

    QFile started(signal);
    QVERIFY(started.open(QIODevice::WriteOnly));
    started.close();
    renameAll("bname00");
    QFile boxes(signal + QStringLiteral(".boxes"));
    QVERIFY(boxes.open(QIODevice::WriteOnly | QIODevice::Text));
    boxes.write(m_boxes.join(u'\n').toUtf8() + '\n');
    // Still alive here; what reached the card is checked once it is mounted again.
    m_folder.release(); // the card is gone: leave its folder for that check
}

void VolumeBatchTest::cardAfterThePull()
{
    const QString manifestPath = qEnvironmentVariable("QUARIMO_VOLUME_VERIFY");
    if (manifestPath.isEmpty())
        QSKIP("QUARIMO_VOLUME_VERIFY names the manifest of a batch whose card was pulled");
    QFile manifest(manifestPath);
    QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString folder = qEnvironmentVariable("QUARIMO_VOLUME_FOLDER") + QLatin1Char('/')
                           + QString::fromUtf8(manifest.readLine()).trimmed();
    QMap<QByteArray, QString> before;
    while (!manifest.atEnd()) {
        const QList<QByteArray> line = manifest.readLine().trimmed().split('\t');
        before.insert(line.value(0), QString::fromUtf8(line.value(1)));
    }
    QCOMPARE(before.size(), 3000);

    const QMap<QString, QString> renamed = namesAfter(before, folder);
    int kept = 0;
    for (auto it = renamed.cbegin(); it != renamed.cend(); ++it) {
        if (it.key() == it.value())
            ++kept;
        else
            QCOMPARE(it.value(), stampOf(it.key().mid(1, 4).toInt() - 1) + QLatin1Char(' ') + it.key());
    }
    qInfo("pulled card: %lld of 3000 renamed, %d kept their names", qlonglong(renamed.size() - kept), kept);

    QFile boxes(manifestPath.chopped(QStringLiteral(".manifest").size()) + QStringLiteral(".boxes"));
    QVERIFY2(boxes.open(QIODevice::ReadOnly), "the batch on the pulled card never ended");
    const QString told = QString::fromUtf8(boxes.readAll()).trimmed();
    // Renames the card never got count as kept, unless the user was told they may not have reached it.
    const int reported = QRegularExpression(QStringLiteral("(\\d+) photographs? kept")).match(told).captured(1).toInt();
    if (kept > reported && !told.contains(QLatin1String("may not have reached the medium")))
        QFAIL(qPrintable(QStringLiteral("%1 photographs kept their names on the pulled card, and the user was told: %2")
                             .arg(kept)
                             .arg(told.isEmpty() ? QStringLiteral("nothing") : told)));
    qInfo("told: %s", qPrintable(told.isEmpty() ? QStringLiteral("nothing") : told));
}

QUARIMO_GUI_TEST_MAIN(VolumeBatchTest)
#include "tst_volumebatch.moc"
