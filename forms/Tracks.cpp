#include "forms/Tracks.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <functional>
#include <string>

#include "app/Main.h"
#include "forms/Placement.h"
#include "platform/Convert.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/cd/DiscNames.h"
#include "platform/cd/RipDrop.h"
#include "platform/lookup/OnlineNames.h"
#include "platform/mci/Mci.h"
#include "platform/profile/IniFile.h"

namespace {

constexpr int kItemHeight = 12;
constexpr int kLabelSpacing = 3;

// Rows exactly 12 pixels high, as many as fit the list.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }
};

// The list with the window's two mouse events: each runs after the list's own handling.
class TrackListBox : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> OnMouseDown;
    std::function<void()> OnDblClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        // Only the left button moves the selection; every button reports the press.
        if (event->button() == Qt::LeftButton) QListWidget::mousePressEvent(event);
        if (OnMouseDown) corvina::runHandler(OnMouseDown);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QListWidget::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && OnDblClick) corvina::runHandler(OnDblClick);
    }
};

QLineEdit* makeEdit(QWidget* parent, const char* name, QRect geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    return edit;
}

// An edit's caption, 3 pixels above it or to its left. Above, the characters end 3 pixels over
// the edit (Chinese captions reach down to the baseline, and the descent below it stays empty).
QLabel* makeLabel(QWidget* parent, const QString& text, const QLineEdit* edit, bool above) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(edit->objectName() + QStringLiteral("Label"));
    label->setBuddy(const_cast<QLineEdit*>(edit));
    const QFontMetrics metrics(parent->font());
    const int height = metrics.height();
    const int width = metrics.horizontalAdvance(text);
    const QRect e = edit->geometry();
    if (above)
        label->setGeometry(e.left(), e.top() - kLabelSpacing - metrics.ascent() - 1, width, height);
    else
        label->setGeometry(e.left() - kLabelSpacing - width, e.top() + (e.height() - height) / 2,
                           width, height);
    return label;
}

}  // namespace

TFormTracks::TFormTracks(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FormTracks"));
    setWindowTitle(QStringLiteral("播放列表"));
    setFont(corvina::windowsFont(QStringLiteral("宋体"), -12));
    setFixedSize(265, 353);

    auto* list = new TrackListBox(this);
    ListBox = list;
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setGeometry(8, 56, 249, 218);
    ListBox->setItemDelegate(new FixedHeightDelegate(ListBox));
    ListBox->setUniformItemSizes(true);
    ListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox->setToolTip(QStringLiteral(" 双击曲目以快速播放该曲目 "));
    list->OnMouseDown = [this] { ListBoxMouseDown(ListBox); };
    list->OnDblClick = [this] { ListBoxDblClick(ListBox); };

    NameEdit = makeEdit(this, "NameEdit", {32, 288, 225, 20});
    connect(NameEdit, &QLineEdit::textChanged, this,
            corvina::guarded([this] { NameEditChange(NameEdit); }));

    TrackNo = new QLabel(QStringLiteral("No."), this);
    TrackNo->setObjectName(QStringLiteral("TrackNo"));
    TrackNo->setGeometry(8, 288, 21, 20);
    TrackNo->setAlignment(Qt::AlignCenter);
    TrackNo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TrackNo->setLineWidth(1);

    CDArtist = makeEdit(this, "CDArtist", {8, 24, 121, 20});
    CDArtistLabel = makeLabel(this, QStringLiteral("艺术家"), CDArtist, true);
    CDTitle = makeEdit(this, "CDTitle", {136, 24, 121, 20});
    CDTitleLabel = makeLabel(this, QStringLiteral("专辑"), CDTitle, true);
    CDSerial = makeEdit(this, "CDSerial", {136, 320, 121, 20});
    CDSerial->setReadOnly(true);
    QPalette serialPalette = CDSerial->palette();
    serialPalette.setColor(QPalette::Base, serialPalette.color(QPalette::Button));
    CDSerial->setPalette(serialPalette);
    CDSerialLabel = makeLabel(this, QStringLiteral("唱片序列号"), CDSerial, false);

    // A rip dropped anywhere on the window goes into the drive (dropEvent), never into a field.
    for (QLineEdit* edit : {NameEdit, CDArtist, CDTitle, CDSerial}) edit->setAcceptDrops(false);
    setAcceptDrops(true);

    setTabOrder(CDArtist, CDTitle);
    setTabOrder(CDTitle, ListBox);
    setTabOrder(ListBox, NameEdit);
    setTabOrder(NameEdit, CDSerial);
    CDArtist->setFocus();

    // Arrow keys move the selection too; the name field follows it as it does a click, so an
    // edit never lands on a row other than the one the user sees numbered.
    connect(ListBox, &QListWidget::itemSelectionChanged, this,
            corvina::guarded([this] { loadSelectedRow(); }));

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    corvina::centreOnScreen(this, screen);

    corvina::runHandler([this] { FormCreate(this); });
}

int TFormTracks::selectedRow() const {
    const QList<QListWidgetItem*> selected = ListBox->selectedItems();
    return selected.isEmpty() ? -1 : ListBox->row(selected.front());
}

void TFormTracks::loadSelectedRow() {
    const int row = selectedRow();
    if (row < 0) return;
    TrackNo->setText(QString::number(row + 1));
    NameEdit->setText(ListBox->item(row)->text());
}

void TFormTracks::FormCreate(QObject*) {
    const TFormMain* main = FormMain;
    if (!main || !main->DiscPresent) {
        CDArtist->clear();
        CDTitle->clear();
        CDSerial->clear();
        ListBox->clear();
        return;
    }
    CDArtist->setText(main->DiscArtist);
    CDArtist->home(false);
    CDTitle->setText(main->DiscAlbum);
    CDTitle->home(false);
    CDSerial->setText(main->DiscSerial);

    const int count = corvina::strToInt(main->TrackCount);
    // Unnamed tracks offer the names the disc carries itself (or that were found online for it),
    // else "Track n".
    const corvina::cd::DiscNames own = corvina::lookup::discNames(main->DriveRoot);
    const corvina::TIniFile titles(corvina::discTitleFilePath());
    for (int track = 1; track <= count; ++track) {
        const QString fallback = corvina::cd::DiscNames::orDefault(
            own.track(track), QStringLiteral("Track %1").arg(track));
        ListBox->addItem(titles.readString(main->DiscSerial, QString::number(track - 1), fallback));
    }
    TrackNo->setText(QStringLiteral("No."));
    NameEdit->clear();
}

void TFormTracks::ListBoxMouseDown(QObject*) {
    loadSelectedRow();
}

void TFormTracks::NameEditChange(QObject*) {
    const int row = selectedRow();
    if (row >= 0) ListBox->item(row)->setText(NameEdit->text());
}

void TFormTracks::ListBoxDblClick(QObject*) {
    const int row = selectedRow();
    if (row < 0 || !FormMain || !FormMain->DiscPresent) return;
    // The device counts in tracks here, so the seek lands on the track's start. The main
    // window's play flags stay as they are; its next tick shows the new track.
    corvina::mci::sendString("stop CorvinaCD wait");
    corvina::mci::sendString("seek CorvinaCD to " + std::to_string(row + 1));
    corvina::mci::sendString("play CorvinaCD");
}

void TFormTracks::FormCloseQuery(QObject*, bool& CanClose) {
    CanClose = true;
    if (selectedRow() < 0) return;
    // The names belong to the disc this window was opened for: its section and its own rows,
    // every row counted, even if another disc is in the drive by now (or none, and the main
    // window's track count is no number at all), so that no edit is lost or filed elsewhere.
    const QString section = CDSerial->text();
    corvina::TIniFile titles(corvina::discTitleFilePath());
    try {
        // One replacement of the file for the whole disc: quick with a title file of thousands
        // of discs, and never a disc saved by halves.
        titles.beginUpdate();
        for (int row = 0; row < ListBox->count(); ++row) {
            titles.writeString(section, QStringLiteral("Artist"), CDArtist->text());
            titles.writeString(section, QStringLiteral("Title"), CDTitle->text());
            titles.writeString(section, QString::number(row), ListBox->item(row)->text());
        }
        titles.endUpdate();
    } catch (const corvina::Error&) {
        // The first failure keeps the window open, with every name still in it, so the user can
        // free the disk or copy the names; a second one lets it close, so nobody is trapped.
        CanClose = ++failedSaves_ > 1;
        throw;
    }
}

void TFormTracks::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormTracks::dragEnterEvent(QDragEnterEvent* event) {
    QString refusal;
    if (corvina::cd::ripInDrop(event->mimeData()->urls(), refusal)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
        QToolTip::showText(mapToGlobal(event->position().toPoint()), refusal, this);
    }
}

void TFormTracks::dropEvent(QDropEvent* event) {
    QString refusal;
    const std::optional<QString> rip = corvina::cd::ripInDrop(event->mimeData()->urls(), refusal);
    if (!rip || !FormMain) return event->ignore();
    event->acceptProposedAction();
    corvina::runHandler([&] {
        // The names typed so far belong to the disc shown: saved first (a failed save keeps
        // them here and the drop is not taken), then the window shows the new disc.
        bool canClose = true;
        FormCloseQuery(this, canClose);
        FormMain->InsertRip(*rip);
        ListBox->clear();
        FormCreate(this);
    });
}

void TFormTracks::done(int result) {
    bool canClose = true;
    corvina::runHandler([&] { FormCloseQuery(this, canClose); });
    if (canClose) QDialog::done(result);
}
