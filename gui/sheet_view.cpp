// SPDX-License-Identifier: MIT
#include "sheet_view.h"

#include "dialog_view.h"

namespace tovrik::gui {

SheetView::SheetView(PropertySheet& sheet, std::function<void()> afterInput, QWidget* parent)
    : QTabWidget(parent), sheet_(sheet), afterInput_(std::move(afterInput))
{
    connect(this, &QTabWidget::currentChanged, this, &SheetView::OnUserTabChange);
    SyncFromModel();
}

SheetView::PageHolder& SheetView::HolderFor(PropertyPage* page)
{
    PageHolder& h = holders_[page];
    if (h.holder == nullptr) {
        h.holder = new QWidget(this);
        if (pageSize_.isValid()) {
            h.holder->setMinimumSize(pageSize_);
        }
    }
    return h;
}

void SheetView::SetPageSize(QSize size)
{
    pageSize_ = size;
    for (auto& [page, h] : holders_) {
        h.holder->setMinimumSize(size);
    }
}

void SheetView::SyncFromModel()
{
    syncing_ = true;
    const std::vector<PropertyPage*>& pages = sheet_.Pages();
    if (pages != shownPages_) {
        while (count() > 0) {
            removeTab(0);
        }
        for (PropertyPage* page : pages) {
            addTab(HolderFor(page).holder, QString::fromStdString(page->Title()));
        }
        shownPages_ = pages;
    }
    for (PropertyPage* page : pages) {
        PageHolder& h = HolderFor(page);
        if (h.view != nullptr && h.view->IsStale()) {
            // Deleted later: this may run inside a handler of one of its own widgets.
            h.view->hide();
            h.view->deleteLater();
            h.view = nullptr;
        }
        if (h.view == nullptr && page->IsWindow()) {
            h.view = new DialogView(*page, afterInput_, h.holder);
            h.view->show();
            h.holder->setMinimumSize(h.view->size().expandedTo(pageSize_));
        }
        if (h.view != nullptr) {
            h.view->SyncFromModel();
        }
    }
    const int active = sheet_.GetPageIndex(sheet_.GetActivePage());
    if (active >= 0 && currentIndex() != active) {
        setCurrentIndex(active);
    }
    syncing_ = false;
}

void SheetView::OnUserTabChange(int index)
{
    if (syncing_ || index < 0 || index >= static_cast<int>(shownPages_.size())) {
        return;
    }
    // A page that refuses to be left stays active; the next sync shows that.
    sheet_.SetActivePage(shownPages_[index]);
    if (afterInput_) {
        afterInput_();
    }
}

DialogView* SheetView::PageView(const PropertyPage* page) const
{
    const auto it = holders_.find(page);
    return it == holders_.end() ? nullptr : it->second.view;
}

}  // namespace tovrik::gui
