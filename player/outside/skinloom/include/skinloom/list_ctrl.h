// The list control of themed windows: columns, rows and their texts.
#pragma once

#include <string>

#include "skinloom/theme_element.h"

enum ListColumnFormat {
    ListFormatLeft = 0,
    ListFormatRight = 1,
    ListFormatCenter = 2,
};

enum ListNotifyCode {
    ListNotifyClick = 1,
    ListNotifyDoubleClick = 2,
};

struct ListNotification {
    int code = 0;  // ListNotifyCode
    int row = -1;
    int column = -1;
};

class IUserXListCtrl;

// Receives what happens in a list: clicks and double clicks on rows.
class IMsgUserXListCtrl {
public:
    virtual ~IMsgUserXListCtrl() = default;
    virtual void OnListCtrlNotify(IUserXListCtrl* list, const ListNotification& notification) = 0;
};

class IUserXListCtrl : public virtual IThemeElement {
public:
    // The two layout values: height of the column header (pixels, may be fractional) and of a row.
    virtual void SetHeaderHeight(float height) = 0;
    virtual void SetRowHeight(int height) = 0;
    // Inserts a column at `column` (appends when past the end); `format` is a ListColumnFormat;
    // `subItem` -1 lets the column show its own texts. Returns the column's index or -1.
    virtual int InsertColumn(int column, const std::string& text, int format, int width, int subItem) = 0;
    virtual int GetColumnCount() const = 0;
    virtual std::string GetColumnText(int column) const = 0;
    // Inserts a row at `row` (appends when past the end) with `text` in column 0; returns its index.
    virtual int InsertItem(int row, const std::string& text) = 0;
    virtual bool SetItemText(int row, int column, const std::string& text) = 0;
    virtual std::string GetItemText(int row, int column) const = 0;
    virtual int GetItemCount() const = 0;
    virtual void DeleteAllItems() = 0;
    // The observer is not owned; null removes it.
    virtual void SetObserver(IMsgUserXListCtrl* observer) = 0;
    virtual void Refresh() = 0;
};
