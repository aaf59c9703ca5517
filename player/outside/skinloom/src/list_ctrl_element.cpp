// The list control on a flat tree widget: one top-level item per row.
#include <algorithm>

#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "elements.h"

namespace skinloom_detail {
namespace {

Qt::Alignment alignmentOf(int format) {
    if (format == ListFormatCenter) return Qt::AlignCenter;
    if (format == ListFormatRight) return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ListCtrlElement::ListCtrlElement(std::string name, QTreeWidget* tree) : ElementBase(std::move(name), tree), m_pTree(tree) {
    m_pTree->setRootIsDecorated(false);
    m_pTree->setUniformRowHeights(true);
    m_pTree->setColumnCount(0);
    QObject::connect(m_pTree, &QTreeWidget::itemClicked, m_pTree, [this](QTreeWidgetItem* item, int column) {
        notify(ListNotifyClick, m_pTree->indexOfTopLevelItem(item), column);
    });
    QObject::connect(m_pTree, &QTreeWidget::itemDoubleClicked, m_pTree, [this](QTreeWidgetItem* item, int column) {
        notify(ListNotifyDoubleClick, m_pTree->indexOfTopLevelItem(item), column);
    });
}

void ListCtrlElement::notify(int code, int row, int column) {
    if (m_pObserver != nullptr) m_pObserver->OnListCtrlNotify(this, ListNotification{code, row, column});
}

void ListCtrlElement::SetHeaderHeight(float height) {
    if (height > 0) m_pTree->header()->setFixedHeight(static_cast<int>(height + 0.5f));
}

void ListCtrlElement::SetRowHeight(int height) { m_nRowHeight = height > 0 ? height : 0; }

int ListCtrlElement::InsertColumn(int column, const std::string& text, int format, int width, int subItem) {
    const int count = GetColumnCount();
    if (column < 0) return -1;
    column = std::min(column, count);
    // Headers of existing rows keep their texts: columns are added before rows in practice.
    m_pTree->setColumnCount(count + 1);
    m_formats.insert(m_formats.begin() + column, format);
    QTreeWidgetItem* header = m_pTree->headerItem();
    for (int moved = count; moved > column; --moved) header->setText(moved, header->text(moved - 1));
    header->setText(column, QString::fromStdString(text));
    header->setTextAlignment(column, alignmentOf(format));
    if (width > 0) m_pTree->setColumnWidth(column, width);
    return column;
}

int ListCtrlElement::GetColumnCount() const { return static_cast<int>(m_formats.size()); }

std::string ListCtrlElement::GetColumnText(int column) const {
    if (column < 0 || column >= GetColumnCount()) return {};
    return m_pTree->headerItem()->text(column).toStdString();
}

int ListCtrlElement::InsertItem(int row, const std::string& text) {
    if (row < 0 || GetColumnCount() == 0) return -1;
    row = std::min(row, GetItemCount());
    auto* item = new QTreeWidgetItem();  // owned by the tree once inserted
    for (int column = 0; column < GetColumnCount(); ++column) item->setTextAlignment(column, alignmentOf(m_formats[column]));
    if (m_nRowHeight > 0) item->setSizeHint(0, QSize(0, m_nRowHeight));
    item->setText(0, QString::fromStdString(text));
    m_pTree->insertTopLevelItem(row, item);
    return row;
}

bool ListCtrlElement::SetItemText(int row, int column, const std::string& text) {
    QTreeWidgetItem* item = m_pTree->topLevelItem(row);
    if (item == nullptr || column < 0 || column >= GetColumnCount()) return false;
    item->setText(column, QString::fromStdString(text));
    return true;
}

std::string ListCtrlElement::GetItemText(int row, int column) const {
    const QTreeWidgetItem* item = m_pTree->topLevelItem(row);
    if (item == nullptr || column < 0 || column >= GetColumnCount()) return {};
    return item->text(column).toStdString();
}

int ListCtrlElement::GetItemCount() const { return m_pTree->topLevelItemCount(); }

void ListCtrlElement::DeleteAllItems() { m_pTree->clear(); }

void ListCtrlElement::Refresh() { m_pTree->viewport()->update(); }

}  // namespace skinloom_detail
