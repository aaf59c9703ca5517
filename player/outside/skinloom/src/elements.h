// The element classes behind the element interfaces; each wraps one Qt widget that its window owns.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "skinloom/list_ctrl.h"
#include "skinloom/theme_element.h"

class QWidget;
class QPushButton;
class QLabel;
class QTreeWidget;

namespace skinloom_detail {

// Name, state and children of an element; the widget belongs to the window's widget tree.
class ElementBase : public virtual IThemeElement {
public:
    ElementBase(std::string name, QWidget* widget) : m_strName(std::move(name)), m_pWidget(widget) {}
    const std::string& GetName() const override { return m_strName; }
    IThemeElement* FindName(const std::string& name) override;
    void SetEnabled(bool enabled) override;
    bool IsEnabled() const override;
    void SetVisibility(int visibility) override;
    int GetVisibility() const override { return m_nVisibility; }

    QWidget* widget() const { return m_pWidget; }
    void addChild(std::unique_ptr<ElementBase> child) { m_children.push_back(std::move(child)); }

private:
    std::string m_strName;
    QWidget* m_pWidget;
    int m_nVisibility = ThemeVisible;
    std::vector<std::unique_ptr<ElementBase>> m_children;
};

class PanelElement final : public ElementBase {
public:
    using ElementBase::ElementBase;
};

class ButtonElement final : public ElementBase, public IThemeButton {
public:
    ButtonElement(std::string name, QPushButton* button);
    void SetText(const std::string& text) override;
    std::string GetText() const override;

private:
    QPushButton* m_pButton;
};

class TextBlockElement final : public ElementBase, public IThemeTextBlock {
public:
    TextBlockElement(std::string name, QLabel* label);
    void SetText(const std::string& text) override;
    std::string GetText() const override;

private:
    QLabel* m_pLabel;
};

class ListCtrlElement final : public ElementBase, public IUserXListCtrl {
public:
    ListCtrlElement(std::string name, QTreeWidget* tree);
    void SetHeaderHeight(float height) override;
    void SetRowHeight(int height) override;
    int InsertColumn(int column, const std::string& text, int format, int width, int subItem) override;
    int GetColumnCount() const override;
    std::string GetColumnText(int column) const override;
    int InsertItem(int row, const std::string& text) override;
    bool SetItemText(int row, int column, const std::string& text) override;
    std::string GetItemText(int row, int column) const override;
    int GetItemCount() const override;
    void DeleteAllItems() override;
    void SetObserver(IMsgUserXListCtrl* observer) override { m_pObserver = observer; }
    void Refresh() override;

private:
    void notify(int code, int row, int column);

    QTreeWidget* m_pTree;
    std::vector<int> m_formats;  // ListColumnFormat of each column
    int m_nRowHeight = 0;
    IMsgUserXListCtrl* m_pObserver = nullptr;
};

}  // namespace skinloom_detail
