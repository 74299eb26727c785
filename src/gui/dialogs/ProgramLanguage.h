#pragma once

// The program speaks Traditional Chinese whatever the system's language: its own texts are
// Chinese, and so are Qt's texts in its dialogs ("資料夾", "位元組"), sizes and dates.
//
// chooseProgramLocale() runs before the application object is made, because Qt reads the
// system's locale from the environment once; useProgramLanguage() after it.
void chooseProgramLocale();
void useProgramLanguage();
