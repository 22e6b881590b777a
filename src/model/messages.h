// Every text the program shows, as UTF-8. The console layer converts these to the
// console's code page where they leave the program; tests compare against the same names.
#pragma once

namespace vellumkeep::msg {

// Results and command errors.
inline constexpr char kSuccess[] = "命令成功完成。";
inline constexpr char kIllegalCharacter[] = "含有非法字符!";
inline constexpr char kUnknownCommand[] = "指令错误!";
inline constexpr char kNoPermission[] = "你没有权限执行该操作！";
inline constexpr char kOperatorMissing[] = "操作员异常!";
inline constexpr char kBadArguments[] = "参数异常!";
inline constexpr char kBadQueryArguments[] = " 参数异常!";
inline constexpr char kInvalidArgument[] = "无效参数!";
inline constexpr char kMissingArgument[] = "缺少参数!";
inline constexpr char kStackError[] = "数据栈错误!";
inline constexpr char kIllegalOperation[] = "非法操作!";
inline constexpr char kDirectoryError[] = "目录错误!";

// Password store.
inline constexpr char kGroupMissing[] = "分组不存在!";
inline constexpr char kGroupExists[] = "分组已存在!";
inline constexpr char kEntryMissing[] = "数据不存在!";
inline constexpr char kEntryExists[] = "数据已存在!";

// Accounts.
inline constexpr char kNameTooShort[] = "用户名太短!";
inline constexpr char kNameTooLong[] = "用户名太长!";
inline constexpr char kPasswordTooShort[] = "密码太短!";
inline constexpr char kPasswordTooLong[] = "密码太长!";
inline constexpr char kNameTaken[] = "存在同名用户!";
inline constexpr char kUnknownAddMode[] = "指定的加密模式不存在!";
inline constexpr char kUnknownMode[] = "模式不存在";
inline constexpr char kCannotDeleteRoot[] = "禁止删除系统管理员!";
inline constexpr char kCannotDeleteSystem[] = "禁止删除超级管理员!";
inline constexpr char kNoSuchUser[] = "指定的用户不存在!";

// Storage.
inline constexpr char kCorruptUserData[] = "该用户数据已损坏!";
inline constexpr char kNonAscii[] = "不支持中文哦！亲";
inline constexpr char kValueTooLarge[] = "数据过大";
inline constexpr char kWriteFailed[] = "文件写入失败!";
inline constexpr char kCryptoUnavailable[] = "加密库初始化失败!";

// Login.
inline constexpr char kLoginName[] = "请输入用户名:";
inline constexpr char kLoginPassword[] = "请输入密码:";
inline constexpr char kLoginFailed[] = "用户名/密码错误！";
inline constexpr char kWelcome[] = "欢迎使用Vellumkeep";

// Questions of the command language.
inline constexpr char kAskUserName[] = "请输入用户名: ";
inline constexpr char kAskPassword[] = "请输入密码: ";
inline constexpr char kAskMode[] = "请输入加密模式: ";
inline constexpr char kAskGroup[] = "请输入组名: ";
inline constexpr char kAskTargetGroup[] = "请输入要添加到的分组名: ";
inline constexpr char kAskMoreInfo[] = "是否继续添加其他信息<Y\\N> ?";
inline constexpr char kAskInfoType[] = "请输入类型: ";
inline constexpr char kAskInfoContent[] = "请输入内容: ";
inline constexpr char kWrongAnswer[] = "输入错误!";
inline constexpr char kAnswerAgain[] = "你的输入有误，请重新输入。";
inline constexpr char kConfirmDeleteAdmin[] = "确认删除该管理员？";
inline constexpr char kWarnDeleteUser[] = "警告：删除该用户，该用户下所有数据将丢失";
inline constexpr char kConfirmDeleteUser[] = "确认删除该用户？";
inline constexpr char kWarnDeleteGroup[] = "警告：删除该目录，该目录下所有数据将丢失";
inline constexpr char kConfirmDeleteGroup[] = "确认删除该目录？";
inline constexpr char kConfirmDeleteEntry[] = "确认删除该数据<Y\\N> ？";

// Listings.
inline constexpr char kEntryAccount[] = "账号:";
inline constexpr char kEntryPassword[] = "密码:";
inline constexpr char kUserListHeading[] = "\\\\user_system 的用户账户";

// Start-up.
inline constexpr char kInstallationBusy[] = "另一个 Vellumkeep 进程正在使用此安装，请先结束它。";
inline constexpr char kInstallationUnlockable[] = "无法锁定此安装（Config.ini.lock），程序未启动。";

// The first-account tool.
inline constexpr char kInitAskPassword[] = "请输入root的密码: ";
inline constexpr char kInitAskAgain[] = "请再次输入root的密码: ";
inline constexpr char kInitConfigExists[] = "Config.ini 已存在，未做任何更改。";
inline constexpr char kInitPasswordsDiffer[] = "两次输入的密码不一致，未做任何更改。";
inline constexpr char kInitInputEnded[] = "输入已结束，未做任何更改。";
inline constexpr char kInitDone[] = "安装完成：已创建 Config.ini 和 root 的数据文件。";

// About block and banner.
inline constexpr char kAboutTitle[] = "Vellumkeep 控制台密码管理器";
inline constexpr char kAboutWebLabel[] = "网址:";
inline constexpr char kAboutMailLabel[] = "E-mail: ";
inline constexpr char kAboutContact[] = "如在使用中遇到问题，请联系我们";
inline constexpr char kWebAddress[] = "https://vellumkeep.example";
inline constexpr char kMailAddress[] = "support@vellumkeep.example";

}  // namespace vellumkeep::msg
