#pragma once

// Windows whose title bar is meant to be empty. Qt never hands an empty title to the window
// manager: it puts the application's name there instead. A window passed here shows a title of
// one blank, which reads as empty, while its windowTitle() stays empty for the program.

class QWidget;

namespace dk3::ui {

// The title the window manager is given for a window whose title is empty.
inline constexpr char16_t kBlankTitle[] = u" ";

// Keeps the title bar of window blank for as long as its windowTitle() is empty, across every
// show and title change; a non-empty title is shown as it is.
void keepTitleBlankWhenEmpty(QWidget* window);

} // namespace dk3::ui
