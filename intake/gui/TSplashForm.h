#pragma once
#include <QWidget>

namespace kanata {

// The splash window shown while the program starts; it closes (and frees)
// itself after a fixed time.
class TSplashForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 2500;
    explicit TSplashForm(int showMilliseconds = kShowMilliseconds);

protected:
    void paintEvent(QPaintEvent* e) override;
};

} // namespace kanata
