#include "texts.h"

const char kMainWindowTitle[] = "Vexlorin----作者：Doramek";

const char kNotice[] =
    "\r\n"
    "注意：系统中必须安装微软的语音引擎组件包，否则无法使用。\r\n"
    "\r\n"
    "下载地址：“http://www.microsoft.com/speech/download/sdk51/”\r\n"
    "\r\n"
    "注意SpeechSDK51和SpeechSDK51LangPack两个文件都要下载安装\r\n"
    "\r\n"
    "说明：WIN8.1以上系统默认已经带有语音引擎了，是不需要在安装的\r\n"
    "\r\n"
    "\r\n"
    " =========开始录像用语音读文本的时候，请删除本文本============";

const char kEngineAvailableMessage[] = "恭喜您的系统已经安装语音引擎了！";
const char kNoEngineMessage[] = "您的系统没有语音引擎，请下载安装，否则无法使用！";
const char kMessageBoxTitle[] = "提示";
const char kTextTooLargeMessage[] = "无法朗读这段文本：内存不足或文本无法转换。";
