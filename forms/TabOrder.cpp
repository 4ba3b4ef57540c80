// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/TabOrder.h"

#include <QGridLayout>
#include <QLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <set>
#include <vector>

namespace {

class ScreenOrder {
public:
    std::vector<QWidget*> Of(QWidget& window) {
        Visit(window);
        return order_;
    }

private:
    // A control takes the focus as one stop and its parts are not visited; a control that hands its focus on (a
    // tab control to its tab bar) stands before the parts it is made of.
    void Add(QWidget* widget) {
        if (!visited_.insert(widget).second)
            return;
        if (widget->focusPolicy() != Qt::NoFocus)
            order_.push_back(widget);
        if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy())
            Visit(*widget);
    }

    void Visit(QWidget& container) {
        if (auto* tabs = qobject_cast<QTabWidget*>(&container)) {
            Add(tabs->tabBar());
            for (int i = 0; i < tabs->count(); ++i)
                Add(tabs->widget(i));
        }
        if (QLayout* layout = container.layout())
            Walk(*layout);
        // Controls placed by hand, not by a layout: by rows from the top, each row from the left.
        std::vector<QWidget*> placed;
        for (QWidget* child : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && !visited_.count(child))
                placed.push_back(child);
        for (QWidget* child : ByRows(placed))
            Add(child);
    }

    void Walk(QLayout& layout) {
        std::vector<int> indexes(static_cast<std::size_t>(layout.count()));
        for (std::size_t i = 0; i < indexes.size(); ++i)
            indexes[i] = static_cast<int>(i);
        if (auto* grid = qobject_cast<QGridLayout*>(&layout)) {
            std::stable_sort(indexes.begin(), indexes.end(), [grid](int a, int b) {
                int rowA = 0, columnA = 0, rowB = 0, columnB = 0, span = 0;
                grid->getItemPosition(a, &rowA, &columnA, &span, &span);
                grid->getItemPosition(b, &rowB, &columnB, &span, &span);
                return std::pair(rowA, columnA) < std::pair(rowB, columnB);
            });
        }
        for (int index : indexes) {
            QLayoutItem* item = layout.itemAt(index);
            if (QWidget* widget = item->widget())
                Add(widget);
            else if (QLayout* inner = item->layout())
                Walk(*inner);
        }
    }

    // A row starts with the highest control left and takes every control that begins above the bottom of all of
    // its controls; a row reads from the left.
    static std::vector<QWidget*> ByRows(std::vector<QWidget*> widgets) {
        std::stable_sort(widgets.begin(), widgets.end(),
                         [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
        std::vector<QWidget*> ordered;
        auto rowStart = widgets.begin();
        while (rowStart != widgets.end()) {
            int bottom = (*rowStart)->geometry().bottom();
            auto rowEnd = rowStart + 1;
            for (; rowEnd != widgets.end() && (*rowEnd)->y() <= bottom; ++rowEnd)
                bottom = std::min(bottom, (*rowEnd)->geometry().bottom());
            std::stable_sort(rowStart, rowEnd, [](const QWidget* a, const QWidget* b) {
                return std::pair(a->x(), a->y()) < std::pair(b->x(), b->y());
            });
            ordered.insert(ordered.end(), rowStart, rowEnd);
            rowStart = rowEnd;
        }
        return ordered;
    }

    std::set<QWidget*> visited_;
    std::vector<QWidget*> order_;
};

} // namespace

void SetTabOrderByScreen(QWidget& window) {
    const std::vector<QWidget*> order = ScreenOrder().Of(window);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
