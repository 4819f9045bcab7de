#pragma once
// What the user is meant to read, byte for byte in code page 936 (the build compiles our
// literals to it), written down independently of the program's sources.

inline constexpr char kExpectedWindowClass[] = "VexlorinWindow";
inline constexpr char kExpectedTitle[] = "Vexlorin----作者：Doramek";

// The notice the edit box starts with; the download address in its fourth line is the
// one part whose wording is free, so it is checked by its frame only.
inline constexpr char kNoticeBeforeAddress[] =
    "\r\n"
    "注意：系统中必须安装微软的语音引擎组件包，否则无法使用。\r\n"
    "\r\n"
    "下载地址：“";
inline constexpr char kNoticeAfterAddress[] =
    "”\r\n"
    "\r\n"
    "注意SpeechSDK51和SpeechSDK51LangPack两个文件都要下载安装\r\n"
    "\r\n"
    "说明：WIN8.1以上系统默认已经带有语音引擎了，是不需要在安装的\r\n"
    "\r\n"
    "\r\n"
    " =========开始录像用语音读文本的时候，请删除本文本============";
inline constexpr unsigned kNoticeBytes = 315;

inline constexpr char kEngineAvailableText[] = "恭喜您的系统已经安装语音引擎了！";
inline constexpr char kNoEngineText[] = "您的系统没有语音引擎，请下载安装，否则无法使用！";
