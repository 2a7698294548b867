#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

//==============================================================================
/** How the editor reaches the user outside its own window: message boxes, file
    dialogs, questions and menus. Each is a function, JUCE's own by default;
    tests replace them to answer and to read what the user would see.
*/
struct Dialogs
{
    /** A message with one "OK" button; the caller does not wait for it. */
    std::function<void (juce::MessageBoxIconType, const juce::String& title, const juce::String& message)> showMessage;

    /** Launches a file dialog; completion runs when the user has chosen. */
    std::function<void (std::shared_ptr<juce::FileChooser>, int flags, std::function<void (const juce::FileChooser&)> completion)> launchChooser;

    /** Asks a question with a button that goes ahead and a "Cancel" button;
        answer is called with true for the first.
    */
    std::function<void (const juce::String& title, const juce::String& message, const juce::String& goAhead, std::function<void (bool)> answer)> confirm;

    /** Shows a right-click menu; chosen gets the item id (0 for none). */
    std::function<void (juce::PopupMenu, std::function<void (int)> chosen)> showMenu;

    /** JUCE's message boxes, file choosers and menus. */
    static Dialogs native()
    {
        Dialogs d;
        d.showMessage = [] (juce::MessageBoxIconType icon, const juce::String& title, const juce::String& message) {
            juce::AlertWindow::showMessageBoxAsync (icon, title, message, "OK", nullptr, nullptr);
        };
        d.launchChooser = [] (std::shared_ptr<juce::FileChooser> chooser, int flags, std::function<void (const juce::FileChooser&)> completion) {
            // The chooser lives until its completion has run.
            chooser->launchAsync (flags, [chooser, completion] (const juce::FileChooser& fc) { completion (fc); });
        };
        d.confirm = [] (const juce::String& title, const juce::String& message, const juce::String& goAhead, std::function<void (bool)> answer) {
            juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::WarningIcon, title, message, goAhead, "Cancel", nullptr,
                                                juce::ModalCallbackFunction::create ([answer] (int result) { answer (result == 1); }));
        };
        d.showMenu = [] (juce::PopupMenu menu, std::function<void (int)> chosen) {
            menu.showMenuAsync (juce::PopupMenu::Options(), [chosen] (int result) { chosen (result); });
        };
        return d;
    }
};
