// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"

namespace tovrik {

// A page of a property sheet. Its window is created when it is first
// activated and destroyed when it is removed from the sheet.
class PropertyPage : public Dialog {
public:
    using Dialog::Dialog;

    // Each time the page becomes the active one, after its window exists.
    // The first activation keeps what OnInitDialog showed; later ones show
    // the fields in the controls again.
    virtual void OnSetActive();
    // Before another page becomes active; false keeps this page active. Takes
    // the control values into the fields.
    virtual bool OnKillActive();

private:
    bool activatedBefore_ = false;
};

// The tabbed host of the pages. It does not own them.
class PropertySheet {
public:
    // Appends a page; in a created sheet without an active page it becomes active.
    void AddPage(PropertyPage* page);
    // Removes a page and destroys its window. When it was the active page the
    // one before it (or else after it) becomes active.
    void RemovePage(PropertyPage* page);
    // Makes a page active as a tab click does: the current page may refuse to
    // be left. 1 when `page` is the active page afterwards.
    int SetActivePage(PropertyPage* page);

    // Creates the sheet, which activates its first page.
    void Create();
    // Destroys every page window.
    void Destroy();
    bool IsCreated() const { return created_; }

    PropertyPage* GetActivePage() const { return active_; }
    const std::vector<PropertyPage*>& Pages() const { return pages_; }
    int GetPageIndex(const PropertyPage* page) const;
    PropertyPage* FindPage(const std::string& title) const;

private:
    void Activate(PropertyPage* page);

    std::vector<PropertyPage*> pages_;
    PropertyPage* active_ = nullptr;
    bool created_ = false;
};

}  // namespace tovrik
