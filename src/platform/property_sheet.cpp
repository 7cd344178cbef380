// SPDX-License-Identifier: MIT
#include "platform/property_sheet.h"

#include <algorithm>

namespace tovrik {

void PropertyPage::OnSetActive()
{
    if (activatedBefore_) {
        UpdateData(false);
    }
    activatedBefore_ = true;
}

bool PropertyPage::OnKillActive()
{
    return UpdateData(true) != 0;
}

void PropertySheet::AddPage(PropertyPage* page)
{
    if (page == nullptr || GetPageIndex(page) >= 0) {
        return;
    }
    pages_.push_back(page);
    if (created_ && active_ == nullptr) {
        Activate(page);
    }
}

void PropertySheet::RemovePage(PropertyPage* page)
{
    const int index = GetPageIndex(page);
    if (index < 0) {
        return;
    }
    if (page == active_) {
        active_ = nullptr;
        const int count = static_cast<int>(pages_.size());
        if (count > 1) {
            Activate(pages_[index > 0 ? index - 1 : index + 1]);
        }
    }
    pages_.erase(pages_.begin() + index);
    page->Destroy();
}

int PropertySheet::SetActivePage(PropertyPage* page)
{
    if (GetPageIndex(page) < 0) {
        return 0;
    }
    if (page == active_) {
        return 1;
    }
    if (active_ != nullptr && active_->IsWindow() && !active_->OnKillActive()) {
        return 0;
    }
    Activate(page);
    return 1;
}

void PropertySheet::Activate(PropertyPage* page)
{
    active_ = page;
    if (!created_) {
        return;
    }
    if (!page->IsWindow()) {
        page->Create();
    }
    page->OnSetActive();
}

void PropertySheet::Create()
{
    if (created_) {
        return;
    }
    created_ = true;
    PropertyPage* first = active_ != nullptr ? active_ : (pages_.empty() ? nullptr : pages_[0]);
    if (first != nullptr) {
        Activate(first);
    }
}

void PropertySheet::Destroy()
{
    for (PropertyPage* page : pages_) {
        page->Destroy();
    }
    created_ = false;
}

int PropertySheet::GetPageIndex(const PropertyPage* page) const
{
    const auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

PropertyPage* PropertySheet::FindPage(const std::string& title) const
{
    for (PropertyPage* page : pages_) {
        if (page->Title() == title) {
            return page;
        }
    }
    return nullptr;
}

}  // namespace tovrik
