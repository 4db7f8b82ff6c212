#pragma once
#include <QString>
#include <functional>

class QWidget;

// The boxes and file choosers the windows ask the user with. Each one left empty is the real
// Qt dialog; tests give recorders and answers instead, so that nothing waits for a click.
struct TUserPrompts {
    // Error icon, OK button.
    std::function<void(const QString& text)> ErrorBox;
    // No icon, OK button.
    std::function<void(const QString& text)> PlainBox;
    // Confirmation icon, Yes and No buttons: true for Yes.
    std::function<bool(const QString& text)> Question;
    // Empty when cancelled.
    std::function<QString(const QString& caption, const QString& directory, const QString& filter)> OpenFile;
    std::function<QString(const QString& caption, const QString& directory, const QString& filter,
                          const QString& defaultSuffix)> SaveFile;
    std::function<QString(const QString& caption, const QString& directory)> Directory;

    // Fills every empty member with the real dialog, owned by `owner`.
    void FillDefaults(QWidget* owner);
};
