#pragma once

// Identifiers by which the run time names the main window and its controls.
constexpr int kMainWindowId = 1;

enum MainWindowControl : int {
    按钮_恢复发音 = 101,
    按钮_暂停发音,
    按钮_停止发音,
    按钮_开始发音,
    编辑框_发音文本,
    按钮_是否可用,
};
