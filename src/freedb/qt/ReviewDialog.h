// SPDX-License-Identifier: GPL-2.0-or-later

// Shows a lookup's result for review: one row per file (file, track, artist, title) and the
// album-wide values, each with the box that says whether it is written; optionally the files are
// renamed afterwards with an output pattern. The dialog edits an AlbumReview; writing is the
// caller's.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "freedb/AlbumReview.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;

namespace vorda::freedb {

class ReviewDialog : public QDialog {
    Q_OBJECT

public:
    // Columns of the row table in the order they are created; they are shown as File, Track,
    // Artist, Title.
    enum Column : int { TitleColumn = 0, TrackColumn = 1, FileColumn = 2, ArtistColumn = 3 };

    // Checks an output pattern (and may clean it): the message to show, empty when it is fine.
    using PatternCheck = std::function<QString(QString& pattern)>;

    explicit ReviewDialog(QWidget* parent = nullptr);

    void setGenres(const QStringList& genres);
    void setOutPatterns(const QStringList& patterns, const QString& current);
    void setPatternCheck(PatternCheck check) { patternCheck_ = std::move(check); }

    void load(const AlbumReview& review);
    // The values and boxes as the user left them.
    [[nodiscard]] AlbumReview review() const;
    [[nodiscard]] QString outPattern() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkPattern();

    QTableWidget* rows_;
    QLineEdit* album_;
    QLineEdit* year_;
    QLineEdit* comment_;
    QComboBox* genre_;
    QComboBox* outPattern_;
    QCheckBox* artistBox_;
    QCheckBox* albumBox_;
    QCheckBox* titleBox_;
    QCheckBox* trackBox_;
    QCheckBox* yearBox_;
    QCheckBox* genreBox_;
    QCheckBox* commentBox_;
    QCheckBox* renameBox_;
    PatternCheck patternCheck_;
    bool loading_ = false;
    bool checkingPattern_ = false;
};

}  // namespace vorda::freedb
