// The once-a-second poll of the CD device and everything it shows.
#include <QTime>

#include "app/Main.h"
#include "app/Picture.h"
#include "components/LCD.h"
#include "components/ScrollingText.h"
#include "platform/Convert.h"
#include "platform/cd/DiscNames.h"
#include "platform/cd/DriveSet.h"
#include "platform/lookup/OnlineNames.h"
#include "platform/mpris/Mpris.h"
#include "platform/profile/IniFile.h"

using corvina::cdQuery;
using corvina::cdSend;
using corvina::field;
using corvina::strToInt;

namespace {

const QString kAppTitle = QStringLiteral("Corvina CD 播放器");
const QChar kHintBreak = QLatin1Char('\r');

// The label is laid out for "00:00:00": a 24-hour clock with seconds is the long time format
// that fits it on every locale (locale long formats may add a time zone or an AM/PM marker).
QString longTime() {
    // HH:mm:ss, written out by hand: the formatter parses its pattern and consults the calendar
    // every time, once a second for as long as the player runs.
    const QTime now = QTime::currentTime();
    const char16_t text[] = {
        char16_t(u'0' + now.hour() / 10),   char16_t(u'0' + now.hour() % 10),   u':',
        char16_t(u'0' + now.minute() / 10), char16_t(u'0' + now.minute() % 10), u':',
        char16_t(u'0' + now.second() / 10), char16_t(u'0' + now.second() % 10)};
    return QString(reinterpret_cast<const QChar*>(text), 8);
}

}  // namespace

void TFormMain::setApplicationTitle(const QString& title) {
    setWindowTitle(title);
}

void TFormMain::TimerCDTimer(QObject*) {
    // The desktop's media controls hear what this tick changed, however it ends.
    const corvina::mpris::ChangeReport report;
    LabelSysTime->setCaption(longTime());

    // The title reads the fields the previous tick left.
    const QString bracketed =
        kAppTitle + QStringLiteral(" - [") + TrackNo + QLatin1Char(' ') + PositionText + "]";
    setApplicationTitle(PortivoView ? bracketed : kAppTitle);
    if (Minimized && DiscPresent) setApplicationTitle(bracketed);

    if (cdQuery(corvina::cdCommand("status %1 media present"), replyA_) != QLatin1String("true")) {
        NoDisc();
        return;
    }

    const int tracks =
        strToInt(field(cdQuery(corvina::cdCommand("status %1 number of tracks"), replyA_), 1, 2));
    if (tracks == 1) {
        // A disc of one track is taken for a data disc; everything else keeps what it showed.
        LabelStatus->setCaption(QStringLiteral("Data Disc"));
        IconDisc->hide();
        DiscPresent = false;
        return;
    }
    DiscPresent = true;

    DiscSerial = QString::number(GetDiscSerial(), 16).toUpper();

    // Names follow the track shown, that is the one the previous tick read. A tick cut short by
    // a garbage position reply may have left a label that is no number; that reads as no track
    // (as "00" does), or every later tick would fail here and the poll would never recover.
    bool numeric = false;
    const int shownValue = field(LabelTrack->Caption(), 1, 2).toInt(&numeric, 10);
    const int shown = numeric ? shownValue : 0;
    {
        // What the title file does not name, the disc may: its CD-TEXT, its cue sheet, its tags,
        // and after them what was found online for it (a disc left unnamed is looked up later,
        // outside this tick).
        using corvina::cd::DiscNames;
        corvina::lookup::noticeDisc(DriveRoot, DiscSerial);
        const DiscNames own = corvina::lookup::discNames(DriveRoot);
        const corvina::TIniFile titles(corvina::discTitleFilePath());
        DiscArtist = titles.readString(DiscSerial, QStringLiteral("Artist"),
                                       DiscNames::orDefault(own.artist, QStringLiteral("Artist")));
        DiscAlbum = titles.readString(DiscSerial, QStringLiteral("Title"),
                                      DiscNames::orDefault(own.album, QStringLiteral("Album")));
        TrackName = titles.readString(
            DiscSerial, QString::number(shown - 1),
            DiscNames::orDefault(own.track(shown), QStringLiteral("Track ") + TrackNo));
    }

    if (!Playing && !Paused && !Stopped) {
        // Nothing commanded since start or since the tray was closed: the disc plays by itself.
        IconDisc->show();
        cdSend(corvina::cdCommand("play %1"));
        Playing = true;
        Paused = false;
        Stopped = false;
    }

    const QString names = DiscArtist + QStringLiteral(" - ") + DiscAlbum;
    ScrollText->setText(names + QStringLiteral(" - ") + TrackName);
    const QString hint = names + kHintBreak + kHintBreak + TrackName + kHintBreak +
                         field(TrackNo, 1, 2) + QLatin1Char(' ') + TrackLengthText;
    ScrollText->setHint(QString(hint).replace(kHintBreak, QLatin1Char('\n')));

    TrackCount = field(replyA_.text(), 1, 2);

    const QString discLength = cdQuery(corvina::cdCommand("status %1 length wait"), replyA_);
    DiscLengthText = field(discLength, 1, 2) + QLatin1Char(':') + field(discLength, 4, 2);

    const QString position = cdQuery(corvina::cdCommand("status %1 position"), replyB_);
    TrackNo = field(position, 1, 2);
    PositionMin = field(position, 4, 2);
    PositionSec = field(position, 7, 2);
    PositionText = PositionMin + QLatin1Char(':') + PositionSec;

    const QString trackLength =
        cdQuery(corvina::cdCommand("status %1 length track ") + TrackNo, replyB_);
    TrackLengthText = field(trackLength, 1, 2) + QLatin1Char(':') + field(trackLength, 4, 2);

    LabelTrack->setCaption(TrackNo + QLatin1Char('/') + TrackCount);
    LabelTime->setCaption(TrackLengthText + QLatin1Char('/') + DiscLengthText);

    // The icon of the current state blinks: shown on one tick, hidden on the next.
    if (Playing && !Stopped && !Paused) {
        LabelStatus->setCaption(QStringLiteral("正在播放..."));
        IconPlaying->setVisible(IconPlaying->isHidden());
        IconPaused->hide();
        IconStopped->hide();
    }
    if (!Playing && !Stopped && Paused) {
        LabelStatus->setCaption(QStringLiteral("已暂停"));
        IconPlaying->hide();
        IconPaused->setVisible(IconPaused->isHidden());
        IconStopped->hide();
    }
    if (!Playing && Stopped && !Paused) {
        LabelStatus->setCaption(QStringLiteral("已停止"));
        IconPlaying->hide();
        IconPaused->hide();
        IconStopped->setVisible(IconStopped->isHidden());
    }

    DigitalDisplay();
}

void TFormMain::DigitalDisplay() {
    LCDTrack->setValue(strToInt(field(TrackNo, 1, 2)));
    LCDTime1->setValue(strToInt(field(PositionText, 1, 2)));
    LCDTime2->setValue(strToInt(field(PositionText, 4, 2)));
}

void TFormMain::NoDisc() {
    ScrollText->setText(QStringLiteral("请插入一张唱片..."));
    LabelStatus->setCaption(QStringLiteral("无碟"));
    LabelTime->setCaption(QStringLiteral("00:00/00:00"));
    LabelTrack->setCaption(QStringLiteral("00/00"));
    DiscPresent = false;
    IconDisc->hide();
    IconPlaying->hide();
    IconPaused->hide();
    IconStopped->hide();
    LCDTrack->setValue(0);
    LCDTime1->setValue(0);
    LCDTime2->setValue(0);
}

quint32 TFormMain::GetDiscSerial() const {
    // The serial names the disc's entry in the title database, so it must be the serial of the
    // disc being played. The device always plays the default drive; when the detected drive has
    // no readable disc (or is not known yet, as in the first tick at start) that is the disc to
    // name. With no readable disc anywhere the serial is 0.
    if (auto serial = corvina::cd::volumeSerial(DriveRoot)) return *serial;
    if (auto serial = corvina::cd::volumeSerial(QString())) return *serial;
    return 0;
}
