// A label that reports clicks: the formula pictures of the spectrum page act
// as clicks on the radio buttons beside them.
#pragma once

#include <QLabel>

namespace vemra {

class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace vemra
