// Elements of a themed window, found by name and cast to the interface the caller needs.
#pragma once

#include <string>

enum ThemeVisibility {
    ThemeVisible = 0,
    ThemeHidden = 1,     // not shown, keeps its place in the layout
    ThemeCollapsed = 2,  // not shown, takes no place
};

class IThemeElement {
public:
    virtual ~IThemeElement() = default;
    virtual const std::string& GetName() const = 0;
    // This element or a descendant with `name`; null when there is none.
    virtual IThemeElement* FindName(const std::string& name) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() const = 0;
    // One of ThemeVisibility; the layout is refreshed after each change.
    virtual void SetVisibility(int visibility) = 0;
    virtual int GetVisibility() const = 0;

    // The element named `name` as a T; null when absent or of another kind.
    template <class T>
    T* FindElement(const std::string& name) {
        return dynamic_cast<T*>(FindName(name));
    }
};

class IThemeButton : public virtual IThemeElement {
public:
    virtual void SetText(const std::string& text) = 0;
    virtual std::string GetText() const = 0;
};

class IThemeTextBlock : public virtual IThemeElement {
public:
    virtual void SetText(const std::string& text) = 0;
    virtual std::string GetText() const = 0;
};
