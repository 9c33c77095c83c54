#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>
#include <QVBoxLayout>

#include "progressedit.h"
#include "testutils.h"

using TestUtils::StdoutCapture;

namespace {

const char *const ccLine = "\nprogressEdit::update : cc = %1 - cnt = %2";
const char *const estimateLine = "\nprogressEdit::update : tmsec = %1 - tto = %2";
const char *const forecastLine = "\nprogressEdit::update : forecast = %1";

QString fileLabel(int cnt)
{
    return QStringLiteral("file:pic%1.jpg").arg(cnt);
}

QString countdownLabel(int cnt, int seconds)
{
    return QStringLiteral("file:pic%1.jpg timeto:%2 sec").arg(cnt).arg(seconds);
}

constexpr qint64 MB = qint64(1) << 20;

// The seconds a copy line promises, or -1 while it says it is measuring.
int secondsLeft(const QString &label)
{
    const QRegularExpressionMatch seconds =
        QRegularExpression("^\\D*(-?\\d+)\\D*$").match(label.section('\n', 3));
    return seconds.hasMatch() ? seconds.captured(1).toInt() : -1;
}

} // namespace

class tst_progressEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formLayout();
    void names_data();
    void names();

    void countdown_data();
    void countdown();
    void diagnosticsOfLongJob();
    void diagnosticsOfWholeJobs_data();
    void diagnosticsOfWholeJobs();
    void firstEstimate_data();
    void firstEstimate();
    void quickJobNeverForecasts_data();
    void quickJobNeverForecasts();
    void slowJobGoesNegative();
    void fileNamesShownIntact_data();
    void fileNamesShownIntact();
    void longNameElidedInTheMiddle_data();
    void longNameElidedInTheMiddle();

    void emptyOrNegativeTotal_data();
    void emptyOrNegativeTotal();
    void startRearmsJob();
    void closeIsRefusedAndRequested();
    void cancelWithoutWindowManager_data();
    void cancelWithoutWindowManager();

    void copyOfOneBigFile();
    void copyLinesFit_data();
    void copyLinesFit();

private:
    // Replays a job with updates at the given times (ms since the first
    // update) and returns the label after each count, indexed by cnt.
    QStringList replay(progressEdit &dlg, int total, const std::function<qint64(int)> &msAt);

    qint64 now = 0;
    QTranslator english;
};

// As the program runs in the C locale: with the English plural forms.
void tst_progressEdit::initTestCase()
{
    QVERIFY(english.load("vandro.en", TESSEL_CATALOGUES_DIR));
    QVERIFY(QCoreApplication::installTranslator(&english));
}

void tst_progressEdit::init()
{
    now = 1000000; // far from zero, so elapsed times are not the clock itself
    progressEdit::setClock([this] { return now; });
}

void tst_progressEdit::cleanup()
{
    progressEdit::setClock(nullptr);
    QCOMPARE(TestUtils::visibleTopLevels(), QStringList());
}

QStringList tst_progressEdit::replay(progressEdit &dlg, int total,
                                     const std::function<qint64(int)> &msAt)
{
    const qint64 origin = now;
    QStringList labels{QString()}; // cnt counts from 1
    for (int cnt = 1; cnt <= total; ++cnt) {
        now = origin + msAt(cnt);
        dlg.update(QStringLiteral("pic%1.jpg").arg(cnt), cnt);
        labels << dlg.TimeLabel->text();
    }
    return labels;
}

void tst_progressEdit::formLayout()
{
    ProgressDlg form;
    QCOMPARE(form.size(), QSize(233, 92));
    QCOMPARE(form.windowTitle(), QString("Form1"));
    QVERIFY(form.isWindow());

    QCOMPARE(form.ProgressBar->objectName(), QString("ProgressBar"));
    QCOMPARE(form.TimeLabel->objectName(), QString("TimeLabel"));
    QCOMPARE(form.ErrorLabel->objectName(), QString("ErrorLabel"));

    QCOMPARE(form.TimeLabel->text(), QString("TextLabel1"));
    QCOMPARE(form.TimeLabel->frameShape(), QFrame::StyledPanel);
    QCOMPARE(form.TimeLabel->frameShadow(), QFrame::Sunken);
    QCOMPARE(form.TimeLabel->alignment(), Qt::AlignCenter);
    QCOMPARE(form.ErrorLabel->text(), QString("TextLabel1"));
    QCOMPARE(form.ErrorLabel->frameShape(), QFrame::NoFrame);
    QCOMPARE(form.ErrorLabel->frameShadow(), QFrame::Plain);
    QCOMPARE(form.ErrorLabel->alignment(), Qt::AlignCenter);

    auto *top = qobject_cast<QVBoxLayout *>(form.layout());
    QVERIFY(top);
    QCOMPARE(top->contentsMargins(), QMargins(4, 4, 4, 4));
    QCOMPARE(top->spacing(), 3);
    QCOMPARE(top->count(), 2);
    QCOMPARE(top->itemAt(1)->widget(), form.CancelButton);
    QCOMPARE(form.CancelButton->text(), QString("Cancel"));
    auto *inner = qobject_cast<QVBoxLayout *>(top->itemAt(0)->layout());
    QVERIFY(inner);
    QCOMPARE(inner->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(inner->spacing(), 6);
    QCOMPARE(inner->count(), 3);
    QCOMPARE(inner->itemAt(0)->widget(), form.ProgressBar);
    QCOMPARE(inner->itemAt(1)->widget(), form.TimeLabel);
    QCOMPARE(inner->itemAt(2)->widget(), form.ErrorLabel);
}

void tst_progressEdit::names_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("caption");

    QTest::newRow("no name") << QByteArray() << "ProgressDlg" << "Form1";
    QTest::newRow("named") << QByteArray("Progress") << "Progress" << "Progress";
}

void tst_progressEdit::names()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, objectName);
    QFETCH(QString, caption);

    progressEdit dlg(nullptr, name.isNull() ? nullptr : name.constData());
    QCOMPARE(dlg.objectName(), objectName);
    QCOMPARE(dlg.windowTitle(), caption);
    QCOMPARE(dlg.metaObject()->className(), "progressEdit");
    QCOMPARE(dlg.metaObject()->superClass()->className(), "ProgressDlg");
}

// One file per second, the first at second 0: the label after chosen counts.
void tst_progressEdit::countdown_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("100 files: first estimate at 20, half way at 50")
        << 100 << QList<int>{1, 19, 20, 49, 50, 99, 100}
        << QStringList{fileLabel(1), fileLabel(19), countdownLabel(20, 76),
                       countdownLabel(49, 47), countdownLabel(50, 49),
                       countdownLabel(99, 0), countdownLabel(100, -1)};
    QTest::newRow("20 files: half way at 10, last step clears")
        << 20 << QList<int>{1, 9, 10, 11, 18, 19, 20}
        << QStringList{fileLabel(1), fileLabel(9), countdownLabel(10, 9),
                       countdownLabel(11, 8), countdownLabel(18, 1),
                       countdownLabel(19, 0), fileLabel(20)};
    QTest::newRow("300 files: first estimate at 15, half way at 150")
        << 300 << QList<int>{14, 15, 149, 150, 300}
        << QStringList{fileLabel(14), countdownLabel(15, 19 * 14),
                       countdownLabel(149, 19 * 14 - 134), countdownLabel(150, 149),
                       countdownLabel(300, -1)};
    QTest::newRow("2 files: no first estimate, half way at 1 second 0")
        << 2 << QList<int>{1, 2} << QStringList{fileLabel(1), fileLabel(2)};
}

void tst_progressEdit::countdown()
{
    QFETCH(int, total);
    QFETCH(QList<int>, counts);
    QFETCH(QStringList, labels);

    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", total);
    const QStringList seen = replay(dlg, total, [](int cnt) { return (cnt - 1) * 1000; });
    for (int i = 0; i < counts.size(); ++i)
        QCOMPARE(seen.at(counts.at(i)), labels.at(i));
    QCOMPARE(dlg.ProgressBar->maximum(), total);
    QCOMPARE(dlg.ProgressBar->value(), total);
}

void tst_progressEdit::diagnosticsOfLongJob()
{
    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", 100);
    replay(dlg, 100, [](int cnt) { return (cnt - 1) * 1000; });

    const QString out = capture.text();
    QVERIFY(out.startsWith(QString(ccLine).arg(20).arg(1) + QString(estimateLine).arg(19000).arg(76)
                           + QString(forecastLine).arg(76) + QString(forecastLine).arg(75)));
    QVERIFY(out.contains(QString(forecastLine).arg(47) + QString(estimateLine).arg(49000).arg(49)
                         + QString(forecastLine).arg(49)));
    QVERIFY(out.endsWith(QString(forecastLine).arg(0) + QString(forecastLine).arg(-1)));
    QCOMPARE(out.count("tmsec ="), 2);
    QCOMPARE(out.count("forecast ="), 81); // counts 20 to 100
}

// Whole jobs of one file per second; small ones never forecast, so which
// estimates they take shows only on standard output.
void tst_progressEdit::diagnosticsOfWholeJobs_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("expected");

    const QString atOnce = QString(estimateLine).arg(0).arg(0);
    QTest::newRow("1 file: half way at once")
        << 1 << QString(ccLine).arg(1).arg(1) + atOnce;
    QTest::newRow("2 files: too few for a first estimate")
        << 2 << QString(ccLine).arg(2).arg(1) + atOnce;
    QTest::newRow("3 files: first estimate at the last file")
        << 3 << QString(ccLine).arg(3).arg(1) + atOnce + QString(estimateLine).arg(2000).arg(0);

    QString twenty = QString(ccLine).arg(20).arg(1) + QString(estimateLine).arg(9000).arg(9);
    for (int seconds = 9; seconds >= 0; --seconds)
        twenty += QString(forecastLine).arg(seconds);
    QTest::newRow("20 files: countdown from half way, then the last file clears it")
        << 20 << twenty + QString(estimateLine).arg(19000).arg(0);
}

void tst_progressEdit::diagnosticsOfWholeJobs()
{
    QFETCH(int, total);
    QFETCH(QString, expected);

    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", total);
    replay(dlg, total, [](int cnt) { return (cnt - 1) * 1000; });
    QCOMPARE(capture.text(), expected);
}

// 300 files: the first estimate is 19 times the whole seconds up to file 15.
void tst_progressEdit::firstEstimate_data()
{
    QTest::addColumn<int>("msPerFile");
    QTest::addColumn<int>("tmsec");
    QTest::addColumn<int>("tto");

    QTest::newRow("1 s per file") << 1000 << 14000 << 19 * 14;
    QTest::newRow("whole seconds truncated before multiplying") << 700 << 9800 << 19 * 9;
    QTest::newRow("just under a second per file") << 999 << 13986 << 19 * 13;
    QTest::newRow("under a second in all") << 70 << 980 << 0;
}

void tst_progressEdit::firstEstimate()
{
    QFETCH(int, msPerFile);
    QFETCH(int, tmsec);
    QFETCH(int, tto);

    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", 300);
    const QStringList seen = replay(dlg, 15, [=](int cnt) { return (cnt - 1) * msPerFile; });

    QString expected = QString(ccLine).arg(15).arg(1) + QString(estimateLine).arg(tmsec).arg(tto);
    if (tto > 0)
        expected += QString(forecastLine).arg(tto);
    QCOMPARE(capture.text(), expected);
    QCOMPARE(seen.at(15), tto > 0 ? countdownLabel(15, tto) : fileLabel(15));
}

void tst_progressEdit::quickJobNeverForecasts_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("msPerFile");

    QTest::newRow("20 files, first half 950 ms") << 20 << 105;
    QTest::newRow("100 files, first half 980 ms") << 100 << 20;
    QTest::newRow("300 files, first half 447 ms") << 300 << 3;
    QTest::newRow("1 file") << 1 << 5000;
}

void tst_progressEdit::quickJobNeverForecasts()
{
    QFETCH(int, total);
    QFETCH(int, msPerFile);

    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", total);
    const QStringList seen = replay(dlg, total, [=](int cnt) { return (cnt - 1) * msPerFile; });
    for (int cnt = 1; cnt <= total; ++cnt)
        QCOMPARE(seen.at(cnt), fileLabel(cnt));
    QVERIFY(!capture.text().contains("forecast"));
}

// Files after the half way take 3 s instead of 1 s: the countdown passes
// 0 and goes on below it, shown like any other number.
void tst_progressEdit::slowJobGoesNegative()
{
    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", 20);
    const QStringList seen = replay(dlg, 20, [](int cnt) {
        return cnt <= 10 ? (cnt - 1) * 1000 : 9000 + (cnt - 10) * 3000;
    });
    QCOMPARE(seen.at(10), countdownLabel(10, 9));
    QCOMPARE(seen.at(12), countdownLabel(12, 3));
    QCOMPARE(seen.at(13), countdownLabel(13, 0));
    QCOMPARE(seen.at(14), countdownLabel(14, -3));
    QCOMPARE(seen.at(19), countdownLabel(19, -18));
    QVERIFY(capture.text().contains(QString(forecastLine).arg(-18)));
}

void tst_progressEdit::longNameElidedInTheMiddle_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("elided");
    QTest::newRow("fits: as it is") << QString("img_0001.jpg") << false;
    QTest::newRow("too long: middle elided") << QString("holiday_").repeated(20) + "0001.jpg" << true;
}

void tst_progressEdit::longNameElidedInTheMiddle()
{
    QFETCH(QString, fileName);
    QFETCH(bool, elided);
    progressEdit dlg;
    dlg.resize(220, dlg.height());
    dlg.start("run", 4);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.update(fileName, 1);
    QCoreApplication::processEvents();

    const QString text = dlg.TimeLabel->text();
    QCOMPARE(text == "file:" + fileName, !elided);
    QVERIFY2(text.startsWith("file:" + fileName.left(5)) && text.endsWith("0001.jpg"),
             qPrintable(text));
    QCOMPARE(dlg.width(), 220);
    QVERIFY(QFontMetrics(dlg.TimeLabel->font()).horizontalAdvance(text) <=
            dlg.TimeLabel->contentsRect().width());
    dlg.hide();
}

void tst_progressEdit::fileNamesShownIntact_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("forecasting");

    QTest::newRow("Latin-1 letters") << QString::fromUtf8("Bäume_Ærø.jpg") << false;
    QTest::newRow("beyond Latin-1") << QString::fromUtf8("東京_Ωμέγα.jpg") << false;
    QTest::newRow("beyond Latin-1, with forecast") << QString::fromUtf8("東京.jpg") << true;
    QTest::newRow("percent signs, with forecast") << QString("100%2 %1.jpg") << true;
}

void tst_progressEdit::fileNamesShownIntact()
{
    QFETCH(QString, fileName);
    QFETCH(bool, forecasting);

    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", 20);
    dlg.update("first.jpg", 1);
    now += forecasting ? 5000 : 0;
    dlg.update(fileName, 10);
    QCOMPARE(dlg.TimeLabel->text(), forecasting ? "file:" + fileName + " timeto:5 sec"
                                                : "file:" + fileName);
}

void tst_progressEdit::emptyOrNegativeTotal_data()
{
    QTest::addColumn<int>("total");
    QTest::newRow("empty job") << 0;
    QTest::newRow("negative total") << -3;
}

// Accepted without harm: no first estimate, the half way is at once and
// the bar keeps a range it can show.
void tst_progressEdit::emptyOrNegativeTotal()
{
    QFETCH(int, total);

    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", total);
    QCOMPARE(dlg.ProgressBar->minimum(), 0);
    QCOMPARE(dlg.ProgressBar->maximum(), 0);

    dlg.update("a.jpg", 1);
    now += 3000;
    dlg.update("b.jpg", 2);
    QCOMPARE(dlg.TimeLabel->text(), QString("file:b.jpg"));
    QCOMPARE(capture.text(), QString(ccLine).arg(total).arg(1) + QString(estimateLine).arg(0).arg(0));
}

void tst_progressEdit::startRearmsJob()
{
    progressEdit dlg;
    StdoutCapture capture;
    dlg.start("save source thumbnails", 20);
    const QStringList first = replay(dlg, 15, [](int cnt) { return (cnt - 1) * 1000; });
    QCOMPARE(first.at(15), countdownLabel(15, 4));
    dlg.setError("pic15.jpg : not saveable");
    now += 1000;
    dlg.update("pic16.jpg", 16);
    QCOMPARE(dlg.ErrorLabel->text(), QString("pic15.jpg : not saveable"));

    dlg.start("save dest thumbnails", 40);
    QCOMPARE(dlg.windowTitle(), QString("save dest thumbnails"));
    QCOMPARE(dlg.ProgressBar->maximum(), 40);
    QCOMPARE(dlg.ProgressBar->value(), 0);
    QCOMPARE(dlg.TimeLabel->text(), QString());
    QCOMPARE(dlg.ErrorLabel->text(), QString());

    // A long pause before the first file of the new job is not measured,
    // and the old estimate no longer counts.
    now += 600000;
    const int before = capture.text().size();
    const QStringList second = replay(dlg, 40, [](int cnt) { return (cnt - 1) * 1000; });
    QCOMPARE(second.at(1), fileLabel(1));
    QCOMPARE(second.at(19), fileLabel(19));
    QCOMPARE(second.at(20), countdownLabel(20, 19));
    QCOMPARE(second.at(39), countdownLabel(39, 0));
    QVERIFY(capture.text().mid(before).startsWith(QString(ccLine).arg(40).arg(1)
                                                  + QString(estimateLine).arg(19000).arg(19)));
}

void tst_progressEdit::closeIsRefusedAndRequested()
{
    progressEdit dlg(nullptr, "Progress");
    QSignalSpy requests(&dlg, &progressEdit::closeRequest);
    dlg.start("save source thumbnails", 10);
    dlg.show();

    QVERIFY(!dlg.close());
    QVERIFY(dlg.isVisible());
    QCOMPARE(requests.count(), 1);
    QVERIFY(!dlg.close());
    QVERIFY(dlg.isVisible());
    QCOMPARE(requests.count(), 2);

    // The owner answers by hiding it; that is no close attempt.
    dlg.hide();
    QCOMPARE(requests.count(), 2);
}

void tst_progressEdit::cancelWithoutWindowManager_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Esc key") << true;
}

void tst_progressEdit::cancelWithoutWindowManager()
{
    QFETCH(bool, escape);
    progressEdit dlg;
    QSignalSpy requests(&dlg, &progressEdit::closeRequest);
    dlg.start("save source thumbnails", 10);
    dlg.show();

    if (escape)
        QTest::keyClick(dlg.CancelButton, Qt::Key_Escape);
    else
        QTest::mouseClick(dlg.CancelButton, Qt::LeftButton);
    QCOMPARE(requests.count(), 1);
    QVERIFY(dlg.isVisible());
    dlg.hide();
}

// A 600 MB movie among small pictures, copied at 20 MB/s in 1 MB blocks.
void tst_progressEdit::copyOfOneBigFile()
{
    QList<qint64> sizes(11, 3 * MB);
    sizes[6] = 600 * MB;
    qint64 total = 0;
    for (qint64 size : sizes)
        total += size;

    progressEdit dlg;
    dlg.startCopy("copy");
    const qint64 origin = now;
    qint64 done = 0;
    dlg.showCopy("IMG_0001.JPG", 1, 11, 0, total);
    QCOMPARE(secondsLeft(dlg.TimeLabel->text()), -1);
    for (int index = 1; index <= sizes.size(); ++index) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(index, 4, 10, QChar('0'));
        for (qint64 left = sizes[index - 1]; left > 0; left -= MB) {
            done += MB;
            now = origin + done * 1000 / (20 * MB);
            dlg.showCopy(name, index, 11, done, total);
            const QString label = dlg.TimeLabel->text();
            QVERIFY2(done == total || dlg.ProgressBar->value() < dlg.ProgressBar->maximum(),
                     qPrintable(label));
            const int expected = int((total - done + 20 * MB - 1) / (20 * MB));
            QCOMPARE(secondsLeft(label), expected);
            QCOMPARE(label.section('\n', 1, 2), QStringLiteral("%1 of 11 files\n%2 of %3 MB")
                                                     .arg(index).arg(done / MB).arg(total / MB));
        }
    }
    QCOMPARE(dlg.ProgressBar->value(), dlg.ProgressBar->maximum());
    QCOMPARE(dlg.TimeLabel->text(), "IMG_0011.JPG\n11 of 11 files\n630 of 630 MB\n0 seconds left");

    // A job that reports more than it planned still says no less than 0.
    now += 5000;
    dlg.showCopy("IMG_0011.JPG", 11, 11, total + MB, total);
    QCOMPARE(secondsLeft(dlg.TimeLabel->text()), 0);
}

void tst_progressEdit::copyLinesFit_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("numbers");

    const qint64 huge = 99999 * MB;
    QTest::newRow("English, one file, measuring")
        << false << 1 << qint64(0) << "1 of 1 file\n0 of 0 MB\nmeasuring the time left";
    QTest::newRow("English, large numbers")
        << false << 1000 << huge << "999 of 1000 files\n49999 of 99999 MB\n100000 seconds left";
    QTest::newRow("German, one file, one second")
        << true << 1 << 2 * MB - 1 << "1 von 1 Datei\n1 von 2 MB\nnoch 1 Sekunde";
    QTest::newRow("German, large numbers")
        << true << 1000 << huge << "999 von 1000 Dateien\n49999 von 99999 MB\nnoch 100000 Sekunden";
}

// At the handheld's width in either language: the name gives way in the
// middle, the numbers are shown whole.
void tst_progressEdit::copyLinesFit()
{
    QFETCH(bool, german);
    QFETCH(int, count);
    QFETCH(qint64, bytes);
    QFETCH(QString, numbers);

    QTranslator translator;
    QVERIFY(!german || translator.load("vandro.de_DE", TESSEL_CATALOGUES_DIR));
    QCoreApplication::installTranslator(&translator);
    progressEdit dlg;
    dlg.resize(240, dlg.height());
    dlg.startCopy("copy");
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QString name = QString("MVI_").repeated(20) + "0061.MOV";
    // Half the bytes in 100000 s leave as many seconds to go.
    now += bytes > 2 * MB ? 100000000 : 1000;
    dlg.showCopy(name, qMax(count - 1, 1), count, bytes ? (bytes + 1) / 2 : 0, bytes);
    QCoreApplication::processEvents();
    QCoreApplication::removeTranslator(&translator);

    const QStringList lines = dlg.TimeLabel->text().split('\n');
    QVERIFY2(lines[0].startsWith("MVI_") && lines[0].endsWith("0061.MOV") && lines[0] != name,
             qPrintable(lines[0]));
    QCOMPARE(lines.mid(1).join('\n'), numbers);
    QCOMPARE(dlg.width(), 240);
    const QFontMetrics metrics(dlg.TimeLabel->font());
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= dlg.TimeLabel->contentsRect().width(),
                 qPrintable(line));
    dlg.hide();
}

QTEST_MAIN(tst_progressEdit)
#include "tst_progressedit.moc"
