// SPDX-License-Identifier: GPL-2.0-or-later

#include "freedb/qt/ReviewDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vorda::freedb {

namespace {

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

template <class Editor>
Editor* editor(QWidget* parent, const char* name) {
    auto* widget = new Editor(parent);
    widget->setObjectName(name);
    return widget;
}

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

ReviewDialog::ReviewDialog(QWidget* parent)
    : QDialog(parent),
      rows_(editor<QTableWidget>(this, "lvwResult")),
      album_(editor<QLineEdit>(this, "txtAlbum")),
      year_(editor<QLineEdit>(this, "txtYear")),
      comment_(editor<QLineEdit>(this, "txtComment")),
      genre_(editor<QComboBox>(this, "cmbGenre")),
      outPattern_(editor<QComboBox>(this, "cmbOutPattern")),
      artistBox_(checkBox(this, "chkArtist", "Artist")),
      albumBox_(checkBox(this, "chkAlbum", "Album")),
      titleBox_(checkBox(this, "chkTitle", "Title")),
      trackBox_(checkBox(this, "chkTrackNr", "Track #")),
      yearBox_(checkBox(this, "chkYear", "Year")),
      genreBox_(checkBox(this, "chkGenre", "Genre")),
      commentBox_(checkBox(this, "chkComment", "Comment")),
      renameBox_(checkBox(this, "chkRename", "Rename files with the output pattern")) {
    setObjectName("frmFreeDB");
    setWindowTitle("freedb result");

    rows_->setColumnCount(4);
    rows_->setHorizontalHeaderLabels({"Title", "Track", "File", "Artist"});
    QHeaderView* header = rows_->horizontalHeader();
    header->moveSection(header->visualIndex(FileColumn), 0);
    header->moveSection(header->visualIndex(TrackColumn), 1);
    header->moveSection(header->visualIndex(ArtistColumn), 2);
    header->setStretchLastSection(true);
    rows_->verticalHeader()->hide();
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);

    genre_->setEditable(true);
    outPattern_->setEditable(true);
    outPattern_->installEventFilter(this);
    outPattern_->lineEdit()->installEventFilter(this);

    // Changing a value ticks the box that writes it.
    const auto ticks = [this](QCheckBox* box) {
        return [this, box] {
            if (!loading_) box->setChecked(true);
        };
    };
    connect(album_, &QLineEdit::textChanged, this, ticks(albumBox_));
    connect(year_, &QLineEdit::textChanged, this, ticks(yearBox_));
    connect(comment_, &QLineEdit::textChanged, this, ticks(commentBox_));
    connect(genre_, &QComboBox::currentTextChanged, this, ticks(genreBox_));

    auto* values = new QGridLayout;
    values->addWidget(albumBox_, 0, 0);
    values->addWidget(album_, 0, 1, 1, 3);
    values->addWidget(yearBox_, 1, 0);
    values->addWidget(year_, 1, 1);
    values->addWidget(genreBox_, 1, 2);
    values->addWidget(genre_, 1, 3);
    values->addWidget(commentBox_, 2, 0);
    values->addWidget(comment_, 2, 1, 1, 3);
    auto* perFile = new QHBoxLayout;
    perFile->addWidget(artistBox_);
    perFile->addWidget(titleBox_);
    perFile->addWidget(trackBox_);
    perFile->addStretch();
    values->addLayout(perFile, 3, 0, 1, 4);
    values->addWidget(renameBox_, 4, 0, 1, 2);
    values->addWidget(outPattern_, 4, 2, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName("cmdOK");
    cancel->setObjectName("cmdCancel");
    connect(ok, &QPushButton::clicked, this, &ReviewDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ReviewDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rows_, 1);
    layout->addLayout(values);
    layout->addWidget(buttons);
    resize(720, 480);
}

void ReviewDialog::setGenres(const QStringList& genres) {
    const QString current = genre_->currentText();
    loading_ = true;
    genre_->clear();
    genre_->addItems(genres);
    genre_->setEditText(current);
    loading_ = false;
}

void ReviewDialog::setOutPatterns(const QStringList& patterns, const QString& current) {
    outPattern_->clear();
    outPattern_->addItems(patterns);
    outPattern_->setEditText(current);
}

void ReviewDialog::load(const AlbumReview& review) {
    loading_ = true;
    rows_->setRowCount(static_cast<int>(review.rows.size()));
    for (int k = 0; k < rows_->rowCount(); ++k) {
        const ReviewRow& row = review.rows[static_cast<size_t>(k)];
        rows_->setItem(k, TitleColumn, new QTableWidgetItem(text(row.title)));
        rows_->setItem(k, TrackColumn, new QTableWidgetItem(text(row.track)));
        auto* file = new QTableWidgetItem(text(row.file));
        file->setFlags(file->flags() & ~Qt::ItemIsEditable);
        rows_->setItem(k, FileColumn, file);
        rows_->setItem(k, ArtistColumn, new QTableWidgetItem(text(row.artist)));
    }
    rows_->resizeColumnsToContents();
    album_->setText(text(review.album));
    year_->setText(text(review.year));
    comment_->setText(text(review.comment));
    genre_->setEditText(text(review.genre));
    artistBox_->setChecked(review.ticks.artist);
    albumBox_->setChecked(review.ticks.album);
    titleBox_->setChecked(review.ticks.title);
    trackBox_->setChecked(review.ticks.trackNumber);
    yearBox_->setChecked(review.ticks.year);
    genreBox_->setChecked(review.ticks.genre);
    commentBox_->setChecked(review.ticks.comment);
    renameBox_->setChecked(review.ticks.rename);
    loading_ = false;
}

AlbumReview ReviewDialog::review() const {
    AlbumReview review;
    const auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = rows_->item(row, column);
        return item ? item->text().toStdString() : std::string();
    };
    for (int k = 0; k < rows_->rowCount(); ++k)
        review.rows.push_back({cell(k, FileColumn), cell(k, TrackColumn), cell(k, ArtistColumn), cell(k, TitleColumn)});
    review.album = album_->text().toStdString();
    review.year = year_->text().toStdString();
    review.comment = comment_->text().toStdString();
    review.genre = genre_->currentText().toStdString();
    review.ticks = {artistBox_->isChecked(), albumBox_->isChecked(), titleBox_->isChecked(),   trackBox_->isChecked(),
                    yearBox_->isChecked(),   genreBox_->isChecked(), commentBox_->isChecked(), renameBox_->isChecked()};
    return review;
}

QString ReviewDialog::outPattern() const { return outPattern_->currentText(); }

bool ReviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == outPattern_ || watched == outPattern_->lineEdit())) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // The box's own drop-down and a window switch are no leaving of the box.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) checkPattern();
    }
    return QDialog::eventFilter(watched, event);
}

void ReviewDialog::checkPattern() {
    if (!patternCheck_ || checkingPattern_) return;
    QString pattern = outPattern_->currentText();
    const QString message = patternCheck_(pattern);
    if (pattern != outPattern_->currentText()) outPattern_->setEditText(pattern);
    if (message.isEmpty()) return;
    checkingPattern_ = true;
    QMessageBox::information(this, "Vorda", message);
    checkingPattern_ = false;
}

}  // namespace vorda::freedb
