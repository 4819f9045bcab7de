#include "main_window_handlers.h"

#include "globals.h"
#include "main_window_ids.h"
#include "texts.h"
#include "ui_runtime/allocator.h"
#include "ui_runtime/control_text.h"
#include "ui_runtime/message_box.h"

void 主窗口_创建完毕()
{
    SetVolume(*g_speech, kNarrationVolume);
}

void 按钮_是否可用_被单击()
{
    if (IsAvailable(*g_speech))
        RtMessageBox(kEngineAvailableMessage, kMessageBoxTitle, MB_OK | MB_ICONINFORMATION);
    else
        RtMessageBox(kNoEngineMessage, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
}

void 按钮_开始发音_被单击()
{
    char* text = RtGetControlText(kMainWindowId, 编辑框_发音文本);
    if (!text)
        return;
    // The edit box receives the voice's events, so they are drained as they come.
    bool converted = true;
    try {
        Speak(*g_speech, SpeakPlainText, text, std::nullopt, ControlAddress{kMainWindowId, 编辑框_发音文本});
    } catch (const TextConversionError&) {
        converted = false;
    }
    RtFree(text);
    if (!converted)
        RtMessageBox(kTextTooLargeMessage, kMessageBoxTitle, MB_OK | MB_ICONWARNING);
}

void 按钮_停止发音_被单击()
{
    Stop(*g_speech);
}

void 按钮_暂停发音_被单击()
{
    Pause(*g_speech);
}

void 按钮_恢复发音_被单击()
{
    Resume(*g_speech);
}
