#pragma once
// The track list window "播放列表": artist, album and every track name of the disc in the drive,
// edited here and saved to the disc title file when the window closes; a double-click on the
// list plays the selected track. The main window opens it modally and destroys it afterwards:
//     TFormTracks form(this);
//     form.exec();
//
// What it knows of the disc comes from the main window through the global `FormMain`
// (`DiscPresent`, `TrackCount`, `DiscSerial`, `DiscArtist`, `DiscAlbum`); without a main window
// it behaves as with no disc. Row i of the list is track i + 1. UI thread only.
#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;

class TFormTracks : public QDialog {
    Q_OBJECT
public:
    // Creates the controls and runs `FormCreate` (an error there is reported; the window still
    // opens with what it got).
    explicit TFormTracks(QWidget* owner = nullptr);

    // Controls, in their declared order.
    QListWidget* ListBox = nullptr;
    QLineEdit* NameEdit = nullptr;
    QLabel* TrackNo = nullptr;
    QLineEdit* CDArtist = nullptr;
    QLineEdit* CDTitle = nullptr;
    QLineEdit* CDSerial = nullptr;
    // The captions of the three labelled edits.
    QLabel* CDArtistLabel = nullptr;
    QLabel* CDTitleLabel = nullptr;
    QLabel* CDSerialLabel = nullptr;

    // Handlers. They throw corvina::Error to end early; callers run them through runHandler.
    void FormCreate(QObject* sender);
    void ListBoxMouseDown(QObject* sender);  // after the list has moved its selection
    void NameEditChange(QObject* sender);
    void ListBoxDblClick(QObject* sender);
    void FormCloseQuery(QObject* sender, bool& CanClose);

    // The selected row, -1 when none is.
    int selectedRow() const;

    // Every way of closing (close button, system menu, Alt+F4) asks FormCloseQuery first.
    void done(int result) override;

protected:
    // Esc does nothing here: a stray Esc while naming tracks must not close the window and save.
    void keyPressEvent(QKeyEvent* event) override;
    // A rip dropped on the window goes into the drive as on the main window; the window then
    // shows the new disc.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void loadSelectedRow();

    int failedSaves_ = 0;
};
