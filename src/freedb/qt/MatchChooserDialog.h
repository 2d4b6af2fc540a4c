// SPDX-License-Identifier: GPL-2.0-or-later

// Lets the user pick one of several matches a freedb server offered.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "freedb/FreedbQuery.h"

class QLabel;
class QListWidget;

namespace vorda::freedb {

class MatchChooserDialog : public QDialog {
    Q_OBJECT

public:
    explicit MatchChooserDialog(QWidget* parent = nullptr);

    // Empties the list and clears the cancelled flag.
    void reset();
    // One line per match ("artist - album [genre, disc id]") and their number in the label.
    void showEntries(const std::vector<FreedbQuery>& matches);
    // The match of the selected line; nothing when no line is selected.
    [[nodiscard]] std::optional<FreedbQuery> selected() const;
    [[nodiscard]] bool wasCanceled() const { return canceled_; }

    // OK closes the dialog only when a line is selected; Cancel, Esc and the window's close
    // button cancel.
    void accept() override;
    void reject() override;

private:
    std::vector<FreedbQuery> matches_;
    QListWidget* list_;
    QLabel* info_;
    bool canceled_ = false;
};

}  // namespace vorda::freedb
