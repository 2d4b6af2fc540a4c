// SPDX-License-Identifier: GPL-2.0-or-later

// The main window's status bar: totals, file size and status text, the progress bar, and the
// Stop button shown while files are being listed.
#pragma once

#include <array>

#include <QStatusBar>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vorda::app {

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(QWidget* parent = nullptr);

    // Text of panel 1..3; panel 4 is the progress bar's text.
    QString text(int panel) const;
    void setText(int panel, const QString& text);
    // The bar at value of max; max 0 empties it and shows "Progress".
    void showProgress(long long value, long long max);
    void setStopVisible(bool visible);
    bool isStopButton(const QWidget* widget) const;

signals:
    void stopClicked();

private:
    std::array<QLabel*, 3> panels_{};
    QProgressBar* progressBar_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};

}  // namespace vorda::app
