#pragma once

#include <QIcon>
#include <QStringList>
#include <QToolButton>
#include <vector>

// One of the program's pictures, by name ("ende", "warning", ...); null when there is none.
QIcon namedPicture(const QString& name);

// A flat button that shows a picture, with a hint as tooltip.
class PictureButton : public QToolButton {
    Q_OBJECT
  public:
    explicit PictureButton(QWidget* parent = nullptr);
    void setPicture(const QIcon& picture);
};

// Named pictures of one size, picked by index.
class PictureList {
  public:
    void add(const QString& name, const QIcon& picture);
    int count() const { return static_cast<int>(pictures_.size()); }
    const QIcon& picture(int index) const { return pictures_.at(static_cast<size_t>(index)); }
    const QString& name(int index) const { return names_.at(index); }

  private:
    std::vector<QIcon> pictures_;
    QStringList names_;
};
