// SPDX-License-Identifier: GPL-2.0-or-later

#include "editing/qt/TagArea.h"

#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "editing/qt/FramesPage.h"
#include "editing/qt/TagEditor.h"

namespace vorda::editing {

TagArea::TagArea(QWidget* parent) : QTabWidget(parent) {
    setObjectName(QStringLiteral("tabTAGs"));
    struct Page {
        const char* caption;
        const char* tip;
    };
    static const Page pages[4] = {{"TAG", "Edit basic tag information"},
                                  {"ID3v2+", "Edit aditional ID3v2 info"},
                                  {"Lyrics3", "Edit Lyrics3 tag"},
                                  {"File info", "File information"}};
    for (int i = 0; i < 4; ++i) {
        auto* page = new QWidget(this);
        page->setObjectName(QStringLiteral("picTAG%1").arg(i));
        addTab(page, QString::fromUtf8(pages[i].caption));
        setTabToolTip(i, QString::fromUtf8(pages[i].tip));
        pages_[static_cast<size_t>(i)] = page;
    }
    // Pages: 0 "TAG", 1 "ID3v2+", 2 "Lyrics3", 3 "File info".
    tagEditor_ = new TagEditor(pages_[0], pages_[2], pages_[3], this);
    auto* framesLayout = new QVBoxLayout(pages_[1]);
    framesLayout->setContentsMargins(0, 0, 0, 0);
    framesPage_ = new FramesPage(pages_[1]);
    framesPage_->setObjectName(QStringLiteral("picFrames"));
    framesLayout->addWidget(framesPage_);
    tagEditor_->cmdCopyFromV1 = framesPage_->cmdCopyFromV1;
    tagEditor_->cmdCopyToV1 = framesPage_->cmdCopyToV1;
    // Up/Down on the tab strip steps through the list like in a field.
    tabBar()->installEventFilter(tagEditor_);
}

int TagArea::tagPageHeight() const { return pages_[0]->sizeHint().height() + tabBar()->sizeHint().height() + 8; }

}  // namespace vorda::editing
