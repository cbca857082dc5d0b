#pragma once
// TImageList: an ordered list of icons that components take pictures from by index.
//
// UI thread only.
#include <QIcon>
#include <QList>
#include <QObject>

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(QObject* owner = nullptr) : QObject(owner) {}

    int Count() const { return int(icons_.size()); }
    void Add(const QIcon& icon) { icons_.append(icon); }
    // The icon at `index`; an empty icon outside the list.
    QIcon GetIcon(int index) const {
        return index >= 0 && index < icons_.size() ? icons_[index] : QIcon();
    }

private:
    QList<QIcon> icons_;
};
