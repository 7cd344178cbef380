// SPDX-License-Identifier: MIT
#pragma once

#include <QTabWidget>
#include <functional>
#include <map>
#include <vector>

#include "platform/property_sheet.h"

namespace tovrik::gui {

class DialogView;

// Renders a property sheet as a tab widget: the tabs follow the sheet's pages
// and their order, the current tab follows the active page, and each page's
// window is rendered once the page has created it. A tab chosen by the user
// is asked of the sheet, which may keep the current page.
class SheetView : public QTabWidget {
    Q_OBJECT

public:
    SheetView(PropertySheet& sheet, std::function<void()> afterInput, QWidget* parent = nullptr);

    void SyncFromModel();

    // Every page's area is at least this large, so the largest page fits whole.
    void SetPageSize(QSize size);

    // The view of the page's current window; nullptr while there is none.
    DialogView* PageView(const PropertyPage* page) const;

private:
    struct PageHolder {
        QWidget* holder = nullptr;  // the tab's widget, kept for the page's life
        DialogView* view = nullptr;
    };

    void OnUserTabChange(int index);
    PageHolder& HolderFor(PropertyPage* page);

    PropertySheet& sheet_;
    std::function<void()> afterInput_;
    std::vector<PropertyPage*> shownPages_;
    std::map<const PropertyPage*, PageHolder> holders_;
    bool syncing_ = false;
    QSize pageSize_;
};

}  // namespace tovrik::gui
