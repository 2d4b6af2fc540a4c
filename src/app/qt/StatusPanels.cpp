// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/qt/StatusPanels.h"

#include <algorithm>
#include <climits>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace vorda::app {

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar"));
    setSizeGripEnabled(true);
    const char* const initial[] = {"Total: 0 files", "Filesize: 0 kB", "Status"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(QString::fromLatin1(initial[i]), this);
        panel->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        // Totals and file size get room for large numbers; the status text takes the rest.
        static const char* const kWidest[2] = {"Total: 88888 files (88888 MB)", "Filesize: 888888 kB"};
        panel->setMinimumWidth(i == 2 ? 120 : panel->fontMetrics().horizontalAdvance(QLatin1String(kWidest[i])) + 12);
        addWidget(panel, i == 2 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = panel;
    }
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setToolTip(QStringLiteral("Shows the progress"));
    progressBar_->setMinimumWidth(120);
    progressBar_->setMaximumWidth(200);
    progressBar_->setMaximumHeight(fontMetrics().height() + 6);
    progressBar_->setTextVisible(true);
    showProgress(0, 0);
    addPermanentWidget(progressBar_);
    stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
    stopButton_->setObjectName(QStringLiteral("cmdStopScan"));
    stopButton_->setToolTip(QStringLiteral("Stop listing files (Esc)"));
    stopButton_->setFocusPolicy(Qt::NoFocus);
    stopButton_->setMaximumHeight(fontMetrics().height() + 8);
    stopButton_->hide();
    connect(stopButton_, &QPushButton::clicked, this, &StatusPanels::stopClicked);
    addPermanentWidget(stopButton_);
}

QString StatusPanels::text(int panel) const {
    if (panel >= 1 && panel <= 3) return panels_[static_cast<size_t>(panel - 1)]->text();
    if (panel == 4) return progressBar_->text();
    return {};
}

void StatusPanels::setText(int panel, const QString& text) {
    if (panel < 1 || panel > 3) return;
    QLabel* label = panels_[static_cast<size_t>(panel - 1)];
    label->setText(text);
    if (panel == 3) label->setToolTip(label->text());  // whole, should a narrow window cut it
}

void StatusPanels::showProgress(long long value, long long max) {
    if (max <= 0) {
        progressBar_->setRange(0, 100);
        progressBar_->setValue(0);
        progressBar_->setFormat(QStringLiteral("Progress"));
        return;
    }
    // The bar counts in int; very large totals are shown in thousandths.
    int shownMax = static_cast<int>(std::min<long long>(max, INT_MAX));
    int shownValue = static_cast<int>(std::clamp<long long>(value, 0, shownMax));
    if (max > INT_MAX) {
        shownMax = 1000;
        shownValue = static_cast<int>(std::clamp<long long>(value, 0, max) * 1000 / max);
    }
    progressBar_->setFormat(QStringLiteral("%p%"));
    progressBar_->setRange(0, shownMax);
    progressBar_->setValue(shownValue);
}

void StatusPanels::setStopVisible(bool visible) { stopButton_->setVisible(visible); }

bool StatusPanels::isStopButton(const QWidget* widget) const { return widget == stopButton_; }

}  // namespace vorda::app
