// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/Form.h"

#include <QLayout>
#include <QVariant>

#include <algorithm>

namespace {

std::vector<TForm*>& Forms() {
    static std::vector<TForm*> forms;
    return forms;
}

std::vector<TDeferredForm*>& DeferredForms() {
    static std::vector<TDeferredForm*> deferred;
    return deferred;
}

} // namespace

TDeferredForm::TDeferredForm(std::function<void()> build) : build_(std::move(build)) {
    DeferredForms().push_back(this);
}

TDeferredForm::~TDeferredForm() {
    std::erase(DeferredForms(), this);
}

void TDeferredForm::Build() {
    if (built_)
        return;
    built_ = true;
    build_();
}

TForm::TForm(QWidget& window, QString name) : window_(window), name_(std::move(name)) {
    window_.setObjectName(name_);
    Forms().push_back(this);
}

TForm::~TForm() {
    std::erase(Forms(), this);
}

std::vector<QObject*> TForm::Components() const {
    std::vector<QObject*> alive;
    for (const auto& component : components_)
        if (component)
            alive.push_back(component.data());
    return alive;
}

const std::vector<TForm*>& ApplicationForms() {
    // A copy: a window that is built may register more.
    for (TDeferredForm* deferred : std::vector<TDeferredForm*>(DeferredForms()))
        deferred->Build();
    return Forms();
}

void CentreOver(QWidget& window, const QWidget& owner) {
    // A window not shown yet has its layout's size only once the layout has run.
    window.ensurePolished();
    if (QLayout* layout = window.layout())
        layout->activate();
    const QSize size = window.size().expandedTo(window.minimumSizeHint());
    window.move(owner.frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
}
