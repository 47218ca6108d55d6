// What the desktop application sets up once for all its windows: Qt's own texts in Japanese and the style.
#pragma once

class QApplication;

/// Loads Qt's Japanese translations (standard buttons, dialogs, context menus), installs the plain style
/// and names the desktop entry; call once, right after the application object is made.
void SetUpApplication(QApplication& app);
