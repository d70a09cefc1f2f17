#pragma once
// One picture of the whole skin for people to review: every bitmap with its name.
#include <QImage>
#include <QString>
#include <vector>

namespace ormidon::skin {

struct SheetItem {
    QString name;
    QImage picture;
};

// Lays the items out in rows, each with its name below it. Pictures larger than
// `maxPicture` on a side are shown scaled down to it (0: every picture at its size).
QImage ContactSheet(const std::vector<SheetItem>& items, const QString& title, int maxPicture);

}  // namespace ormidon::skin
