// Every text the program shows, as UTF-8. The console layer converts these to the
// console's code page where they leave the program; tests compare against the same names.
#pragma once

namespace vellumkeep::msg {

// What help shows of one command.
struct CommandHelp {
  const char* synopsis;  // the arguments after the command word
  const char* summary;   // one line, for the list of commands
  const char* details;   // what the command does, for help WORD
  const char* example;   // a command line
};

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
inline constexpr char kBadGeneratedLength[] = "密码长度应为8到64之间的数字!";

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
inline constexpr char kNotAdministrator[] = "指定的用户不是管理员!";
// A new login password: the two answers differ, or the new one is the current one.
inline constexpr char kNewPasswordsDiffer[] = "两次输入的新密码不一致!";
inline constexpr char kSamePassword[] = "新密码不能与当前密码相同!";

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
// A password that another account chose is changed before the first prompt.
inline constexpr char kPasswordChosenByOther[] = "你的密码由其他账户设置，请先设置新密码。";

// The idle lock.
inline constexpr char kSessionLocked[] = "会话因长时间无操作已锁定，请输入密码解锁。";

// Questions of the command language.
inline constexpr char kAskUserName[] = "请输入用户名: ";
inline constexpr char kAskCurrentPassword[] = "请输入当前密码: ";
inline constexpr char kAskNewPassword[] = "请输入新密码: ";
inline constexpr char kAskNewPasswordAgain[] = "请再次输入新密码: ";
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
inline constexpr char kAskNewEntryPassword[] = "请输入新密码（直接回车保留原密码）: ";
inline constexpr char kAskReplaceInfo[] = "是否替换类型和内容<Y\\N> ?";

// Listings.
inline constexpr char kEntryAccount[] = "账号:";
inline constexpr char kEntryPassword[] = "密码:";
inline constexpr char kUserListHeading[] = "\\\\user_system 的用户账户";

// Help: the list, one command in full, and the roles of the permission masks.
inline constexpr char kHelpHeading[] = "你可以使用的命令:";
inline constexpr char kHelpFooter[] = "输入 help 命令名 可查看该命令的详细说明。";
inline constexpr char kHelpUsageLabel[] = "用法: ";
inline constexpr char kHelpAskedLabel[] = "未输入参数时依次询问:";
inline constexpr char kHelpConfirmLabel[] = "执行前确认:";
inline constexpr char kHelpAlwaysAskedLabel[] = "依次询问:";
inline constexpr char kHelpAskedForStrongLabel[] = "改为 strong 时依次询问:";
inline constexpr char kHelpRolesLabel[] = "可用角色: ";
inline constexpr char kHelpExampleLabel[] = "示例: ";
inline constexpr char kHelpRoleSeparator[] = "、";
inline constexpr char kRoleSuperAdministrator[] = "system（超级管理员）";
inline constexpr char kRoleSystemAdministrator[] = "root（系统管理员）";
inline constexpr char kRoleAdministrator[] = "管理员";
inline constexpr char kRoleUser[] = "用户";

inline constexpr CommandHelp kHelpDir = {
    "[分组...]", "列出分组，或分组中的账号",
    "不带参数时列出你的所有分组；带上分组名时，逐个列出这些分组中保存的账号。", "dir mail"};
inline constexpr CommandHelp kHelpSeach = {
    "账号...", "查找保存了某账号的分组",
    "对每个账号名，列出保存了该账号的分组。只比较完整的账号名，区分大小写。\n"
    "命令拼写为 seach（没有 r）。",
    "seach alice@example.org"};
inline constexpr CommandHelp kHelpPassword = {
    "分组 账号", "显示一条账号的密码和附加信息",
    "显示指定分组中该账号的密码，以及保存时添加的类型和内容。", "password mail alice@example.org"};
inline constexpr CommandHelp kHelpUser = {
    "", "列出程序的所有用户", "列出角色为用户的所有账户，每行三个；不列出管理员。", "user"};
inline constexpr CommandHelp kHelpMode = {
    "", "列出三种加密模式",
    "列出 setmode 可选的加密模式：unencrypted（数据文件为明文）、\n"
    "simple（数据文件为简单编码）和 strong（数据文件用由密码派生的密钥加密，推荐）。",
    "mode"};
inline constexpr CommandHelp kHelpAddadmin = {
    "[用户名 密码 [simple|strong]]", "新建一个管理员",
    "新建一个管理员账户，默认 simple 模式，写 strong 则为 strong 模式（推荐）。\n"
    "用户名和密码均为 6 到 12 个字符，strong 模式的密码可到 64 个字符；\n"
    "strong 模式的账户第一次登录时须设置自己的新密码。",
    "addadmin admin01 adminpw1 strong"};
inline constexpr CommandHelp kHelpAdduser = {
    "[用户名 密码 simple|strong]", "新建一个用户",
    "新建一个用户账户。用户名和密码均为 6 到 12 个字符，strong 模式的密码可到 64 个\n"
    "字符；加密模式写 simple 或 strong（推荐），之后可由该用户用 setmode 更改。\n"
    "strong 模式的账户第一次登录时须设置自己的新密码。",
    "adduser alice01 alicepw1 strong"};
inline constexpr CommandHelp kHelpAdddir = {
    "[分组]", "新建一个分组", "新建一个分组。询问分组名时，回答不能为空。", "adddir mail"};
inline constexpr CommandHelp kHelpAddpassword = {
    "[分组 账号 密码 [类型 内容]...]", "在分组中保存账号和密码",
    "在已有的分组中保存账号和密码，后面可以跟任意对“类型 内容”作为附加信息。\n"
    "逐项询问时，回答 Y 继续添加一对类型和内容，回答 N 结束；任何一项回答都不能为空。",
    "addpassword mail alice@example.org mailpw1 url mail.example.org"};
inline constexpr CommandHelp kHelpDeladmin = {
    "用户名", "删除一个管理员",
    "删除指定的管理员及其文件；指定的不是管理员时不删除任何内容。root 和 system 不能删除。",
    "deladmin admin01"};
inline constexpr CommandHelp kHelpDeluser = {
    "用户名", "删除一个用户及其全部数据",
    "删除指定的用户及其保存的全部数据，数据已损坏的用户也可删除。root 和 system "
    "也可用它删除管理员；管理员只能删除数据完好的用户和自己的账户。root 和 system 不能删除。",
    "deluser alice01"};
inline constexpr CommandHelp kHelpDeldir = {"分组", "删除一个分组及其中的数据",
                                            "删除指定的分组及其中保存的全部账号。", "deldir mail"};
inline constexpr CommandHelp kHelpDelpassword = {"分组 账号", "删除一条保存的账号",
                                                 "删除指定分组中保存的该账号及其密码。",
                                                 "delpassword mail alice@example.org"};
inline constexpr CommandHelp kHelpSetmode = {
    "unencrypted|simple|strong", "更改数据文件的保存方式",
    "以指定的模式重写你的数据文件和密码文件：unencrypted 为明文（数据文件中的\n"
    "登录密码也是明文），simple 为简单编码，strong 用由你的密码派生的新密钥\n"
    "加密（推荐）。从另外两种模式改为 strong 时须设置新密码：旧密码以可还原的\n"
    "方式保存过，不能再用。",
    "setmode strong"};
inline constexpr CommandHelp kHelpSetpassword = {
    "新密码", "修改自己的登录密码",
    "把你的登录密码改为新密码（6 到 12 个字符，strong 模式可到 64 个）。密码写在\n"
    "命令行上；用 changepassword 则不会。",
    "setpassword newpass1"};
inline constexpr CommandHelp kHelpChangepassword = {
    "[strong]", "修改自己的登录密码（不显示）",
    "先询问当前密码，再询问两次新密码，输入均不显示，也不进入命令历史。新密码为\n"
    "6 到 12 个字符，strong 模式可到 64 个，且不能与当前密码相同。带上 strong 时\n"
    "同时把你的账户改为 strong 模式。",
    "changepassword strong"};
inline constexpr CommandHelp kHelpHelp = {
    "[命令]", "列出可用的命令，或显示命令的说明",
    "不带参数时列出你可以使用的命令；带上命令名时显示该命令的用法、询问、\n"
    "可用角色和示例。",
    "help addpassword"};
inline constexpr CommandHelp kHelpExit = {"", "退出程序", "结束本次会话并退出程序（同 quit）。",
                                          "exit"};
inline constexpr CommandHelp kHelpGenpassword = {
    "[长度]", "生成一个随机密码",
    "生成一个随机密码，长度为 8 到 64，默认 20。密码由字母、数字、下划线和符号\n"
    "@.~!#$%^&*()-=+/ 组成，至少含一个小写字母、一个大写字母、一个数字和一个符号。\n"
    "密码只显示这一次，不会保存；可以原样用于 addpassword。",
    "genpassword 16"};
inline constexpr CommandHelp kHelpQuit = {"", "退出程序", "结束本次会话并退出程序（同 exit）。",
                                          "quit"};
inline constexpr CommandHelp kHelpCopypassword = {
    "分组 账号", "把一条账号的密码复制到剪贴板",
    "把指定分组中该账号的密码复制到终端的剪贴板（OSC 52），不在屏幕上显示。\n"
    "30 秒后、会话锁定时和程序结束时剪贴板被清空。只能在终端中使用。",
    "copypassword mail alice@example.org"};

inline constexpr CommandHelp kHelpEditpassword = {
    "分组 账号 [新密码]", "修改一条账号的密码或附加信息",
    "修改指定分组中该账号的密码，账号在分组中的位置不变。命令行上给出新密码时\n"
    "只替换密码；不给出时询问新密码（直接回车保留原密码），再询问是否替换类型和\n"
    "内容：回答 Y 后像 addpassword 一样逐对询问，并以回答替换原有的全部类型和内容。",
    "editpassword mail alice@example.org newpw12"};
inline constexpr CommandHelp kHelpMovepassword = {
    "分组 账号 新分组", "把一条账号移到另一个分组",
    "把指定分组中的该账号连同密码和附加信息移到另一个已有分组的末尾；\n"
    "新分组中已有同名账号时不移动。",
    "movepassword mail alice@example.org work"};
inline constexpr CommandHelp kHelpRenamedir = {
    "分组 新名称", "重命名一个分组",
    "把分组改为新名称，分组的位置和其中的账号不变；新名称已存在时不改。", "renamedir mail email"};
inline constexpr CommandHelp kHelpFind = {
    "文本", "查找含有某段文本的账号",
    "列出分组名、账号或任何类型、内容中含有该文本的所有账号，不区分大小写，\n"
    "不比较密码。每行一条：分组和账号，顺序同 dir。",
    "find example"};
inline constexpr CommandHelp kHelpOtp = {
    "分组 账号", "显示一条账号当前的动态口令",
    "按 RFC 6238（HMAC-SHA1，30 秒一步，6 位数字）计算该账号当前的动态口令，\n"
    "并显示它还有几秒失效。密钥保存为类型 otp 的内容，用 base32 编码：字母 A-Z\n"
    "和数字 2-7，可带 = 填充，大小写均可，例如\n"
    "addpassword mail alice@example.org mailpw1 otp JBSWY3DPEHPK3PXP",
    "otp mail alice@example.org"};

// The clipboard. A copy is reported as kPasswordCopied, the seconds, kPasswordCopiedFor.
inline constexpr char kPasswordCopied[] = "密码已复制到剪贴板，";
inline constexpr char kPasswordCopiedFor[] = "秒后自动清除。";
inline constexpr char kClipboardNeedsTerminal[] = "只能在终端中复制密码!";

// One-time codes. A code is shown as kOneTimeCodeLabel, a tab and the digits; then the seconds
// and kOneTimeCodeExpires.
inline constexpr char kOneTimeCodeLabel[] = "动态口令:";
inline constexpr char kOneTimeCodeExpires[] = "秒后失效。";
inline constexpr char kNoOneTimeSecret[] = "该数据没有otp信息!";
inline constexpr char kBadOneTimeSecret[] = "otp密钥不是有效的base32编码!";

// Start-up.
inline constexpr char kNoConfig[] =
    "当前文件夹中没有 Config.ini。请先在此运行 vellumkeep-init 创建安装。";
inline constexpr char kInstallationBusy[] = "另一个 Vellumkeep 进程正在使用此安装，请先结束它。";
inline constexpr char kInstallationUnlockable[] = "无法锁定此安装（Config.ini.lock），程序未启动。";
inline constexpr char kLockFileIsLink[] = "Config.ini.lock 是符号链接，程序未启动。";

// The programs' arguments. A refusal is followed by the argument concerned.
inline constexpr char kProgramUsage[] = "用法: vellumkeep [-h|--help] [-V|--version]";
inline constexpr char kProgramHelp[] =
    "在当前文件夹的安装中启动 Vellumkeep：读取 Config.ini，登录后在提示符下输入命令，\n"
    "help 列出可用的命令，exit 或 quit 退出。\n"
    "  -h, --help     显示本说明并退出\n"
    "  -V, --version  显示版本并退出";
// What --help adds for the options -C and --encoding.
inline constexpr char kProgramUsageMore[] =
    "      vellumkeep [-C DIR|--directory=DIR] [--encoding=utf-8]";
inline constexpr char kProgramHelpMore[] =
    "  -C, --directory=DIR  在 DIR 中工作，如同在那里启动\n"
    "  --encoding=utf-8     管道和文件上也用 UTF-8 输出（默认只在 UTF-8 终端上）";
inline constexpr char kInitUsage[] =
    "用法: vellumkeep-init [--mode simple|strong] [DATA_FOLDER]\n"
    "      vellumkeep-init --recover [DATA_FOLDER]";
inline constexpr char kInitHelp[] =
    "在当前文件夹中创建新的安装：Config.ini、数据文件夹 DATA_FOLDER（默认 data/，\n"
    "权限 0700）和 root 的文件；root 的密码询问两次。Config.ini 已存在时不做任何更改。\n"
    "  --mode MODE    root 的数据文件的加密模式：strong（默认）或 simple\n"
    "  --recover      恢复 DATA_FOLDER 中已有的安装\n"
    "  -h, --help     显示本说明并退出\n"
    "  -V, --version  显示版本并退出";
inline constexpr char kInitHelpMore[] =
    "  -C, --directory=DIR  在 DIR 中创建或恢复安装，如同在那里运行";
inline constexpr char kArgumentUnknown[] = "无法识别的选项: ";
inline constexpr char kArgumentExtra[] = "多余的参数: ";
inline constexpr char kArgumentValueMissing[] = "选项缺少值: ";
inline constexpr char kArgumentBadMode[] = "不支持的加密模式: ";
inline constexpr char kArgumentConflict[] = "不能同时使用的选项: ";
inline constexpr char kArgumentEmptyFolder[] = "数据文件夹的名称不能为空";
inline constexpr char kArgumentBadEncoding[] = "不支持的编码: ";
inline constexpr char kFolderUnreachable[] = "无法进入文件夹: ";

// The first-account tool.
inline constexpr char kInitAskPassword[] = "请输入root的密码: ";
inline constexpr char kInitAskAgain[] = "请再次输入root的密码: ";
inline constexpr char kInitConfigExists[] = "Config.ini 已存在，未做任何更改。";
inline constexpr char kInitPasswordsDiffer[] = "两次输入的密码不一致，未做任何更改。";
inline constexpr char kInitInputEnded[] = "输入已结束，未做任何更改。";
inline constexpr char kInitCancelled[] = "已取消，未做任何更改。";
inline constexpr char kInitDone[] = "安装完成：已创建 Config.ini 和 root 的数据文件。";
inline constexpr char kInitRootFilesExist[] =
    "数据文件夹中已有 root 的文件，未做任何更改。若 Config.ini 已丢失，请运行 "
    "vellumkeep-init --recover 恢复它。";
inline constexpr char kInitFolderUnfit[] =
    "数据文件夹的名称含有双引号或换行，Config.ini 无法记录，未做任何更改。";
inline constexpr char kInitFolderFailed[] = "无法创建数据文件夹（请确认其上级文件夹存在）：";
inline constexpr char kInitForeignFile[] =
    "数据文件夹中有不属于 Vellumkeep 的文件，未做任何更改（请改用空文件夹）：";
inline constexpr char kInitNothingToRecover[] =
    "数据文件夹中没有找到任何用户的文件，未做任何更改。";
inline constexpr char kInitRecovered[] = "已恢复 Config.ini，列出以下用户：";

// About block and banner.
inline constexpr char kAboutTitle[] = "Vellumkeep 控制台密码管理器";
inline constexpr char kAboutWebLabel[] = "网址:";
inline constexpr char kAboutMailLabel[] = "E-mail: ";
inline constexpr char kAboutContact[] = "如在使用中遇到问题，请联系我们";
inline constexpr char kWebAddress[] = "https://vellumkeep.example";
inline constexpr char kMailAddress[] = "support@vellumkeep.example";

}  // namespace vellumkeep::msg
