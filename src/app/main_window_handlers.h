#pragma once

// The main window's event handlers, bound in its template.
void 主窗口_创建完毕();
void 按钮_是否可用_被单击();
void 按钮_开始发音_被单击();
void 按钮_停止发音_被单击();
void 按钮_暂停发音_被单击();
void 按钮_恢复发音_被单击();

// The volume the window sets when it opens: the engine's full volume.
constexpr int kNarrationVolume = 100;
