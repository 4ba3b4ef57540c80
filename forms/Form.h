// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

// What every window of the program shares: its name and the components it owns, in the order in which it
// created them, which tests look up by name: internal children that Qt creates (a spin box's own line edit, a
// radio group's buttons) are not among them.
class TForm {
public:
    TForm(QWidget& window, QString name);
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    QWidget& Window() const { return window_; }
    const QString& Name() const { return name_; }

    // The components this window owns, in creation order.
    std::vector<QObject*> Components() const;

    // Creates a component named `name`, records it as owned, and returns it; Qt's parent owns it.
    template <class T, class... Args> T* Own(const QString& name, Args&&... args) {
        T* component = new T(std::forward<Args>(args)...);
        component->setObjectName(name);
        Adopt(component);
        return component;
    }

    // Records an existing component as owned by this window.
    void Adopt(QObject* component) { components_.emplace_back(component); }

    // The owned component named `name` when it is a T, else nullptr.
    template <class T> T* Find(const QString& name) const {
        for (QObject* component : Components())
            if (component->objectName() == name)
                return qobject_cast<T*>(component);
        return nullptr;
    }

private:
    QWidget& window_;
    QString name_;
    std::vector<QPointer<QObject>> components_;
};

// Moves the top-level `window` so that it stands centred over `owner`, at the size its layout gives it.
void CentreOver(QWidget& window, const QWidget& owner);

// A window of the application that is built when it is first needed, registered for the life of this record: `build`
// builds it, once, when it is first called.
class TDeferredForm {
public:
    explicit TDeferredForm(std::function<void()> build);
    ~TDeferredForm();
    TDeferredForm(const TDeferredForm&) = delete;
    TDeferredForm& operator=(const TDeferredForm&) = delete;

    // Builds the window unless it is built already.
    void Build();

private:
    std::function<void()> build_;
    bool built_ = false;
};

// The windows of the application, in their order of creation; the deferred ones not built yet are built first, in
// the order they were registered.
const std::vector<TForm*>& ApplicationForms();
