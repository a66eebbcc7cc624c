<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>WebText</name>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="11"/>
        <source>New password: </source>
        <translation>新密码：</translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="15"/>
        <source>No password given; type it on one line, or pipe it in.</source>
        <translation>没有给出密码；请在一行内输入，或通过管道传入。</translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="18"/>
        <source>The same again: </source>
        <translation>再输入一次：</translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="19"/>
        <source>The two passwords differ; nothing was stored.</source>
        <translation>两次输入的密码不同；没有保存任何内容。</translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="26"/>
        <source>Password stored in %1. Restart the service for it to take effect: systemctl --user restart vorfjp-web</source>
        <translation>密码已保存在 %1。重新启动服务后生效：systemctl --user restart vorfjp-web</translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="41"/>
        <source>Token &quot;%1&quot; stored in %2 (only its hash). Scripts send it as the header &quot;Authorization: Bearer TOKEN&quot;; it is shown only this once.</source>
        <translation>令牌“%1”已保存在 %2（只保存其散列值）。脚本以请求头“Authorization: Bearer 令牌”发送它；令牌只显示这一次。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="40"/>
        <source>Cannot make the folder %1.</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="46"/>
        <source>Cannot write %1: %2.</source>
        <translation>无法写入 %1：%2。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="106"/>
        <source>The password is empty; nothing was stored.</source>
        <translation>密码为空；没有保存任何内容。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="114"/>
        <source>Not enough memory to hash the password; nothing was stored.</source>
        <translation>内存不足，无法计算密码的散列值；没有保存任何内容。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="142"/>
        <source>A token&apos;s name is 1 to 64 letters, digits, dots, dashes or underscores, not &quot;%1&quot;.</source>
        <translation>令牌名称须为 1 到 64 个字母、数字、点、连字符或下划线，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="41"/>
        <source>Serves the board content and the board&apos;s commands over HTTP, to a page and to scripts.</source>
        <translation>通过 HTTP 向网页和脚本提供显示内容和显示屏命令。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="46"/>
        <source>The address to listen on: IPV4:PORT, [IPV6]:PORT or localhost:PORT (default 127.0.0.1:8417). An address that other computers can reach needs a password first (--set-password).</source>
        <translation>监听地址：IPv4地址:端口、[IPv6地址]:端口 或 localhost:端口（默认 127.0.0.1:8417）。其他计算机能访问的地址须先设置密码（--set-password）。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="51"/>
        <source>The serial port, as the window&apos;s port box takes it: a number, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT (default: the window&apos;s saved choice).</source>
        <translation>串口，写法与窗口的“串口号”一栏相同：编号、设备路径、tcp://主机:端口 或 rfc2217://主机:端口（默认：窗口保存的串口）。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="57"/>
        <source>The board&apos;s device number, 0 to 255, for sends that name none (default 255: every board).</source>
        <translation>未指定设备编号的发送所用的显示屏设备编号，0 到 255（默认 255：所有显示屏）。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="60"/>
        <source>The board content file (default: the one the window uses).</source>
        <translation>显示内容文件（默认：窗口使用的文件）。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="64"/>
        <source>A further name the service answers to, such as the computer&apos;s name on the hotel&apos;s network, with or without :PORT; may be given more than once.</source>
        <translation>服务另外接受的主机名，例如本机在酒店网络中的名称，可带或不带 :端口；可多次给出。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="69"/>
        <source>Read a password from standard input (one line), store only a slow salted hash of it, and end.</source>
        <translation>从标准输入读取密码（一行），只保存其加盐的慢速散列值，然后结束。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="72"/>
        <source>Print a new token for scripts (Authorization: Bearer TOKEN), store only its hash under NAME, and end. A token stored under the same name stops working.</source>
        <translation>为脚本输出一个新令牌（Authorization: Bearer 令牌），以 NAME 为名只保存其散列值，然后结束。同名的旧令牌随即失效。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="89"/>
        <source>vorfjp-web takes no commands, not &quot;%1&quot;; see --help.</source>
        <translation>vorfjp-web 不接受命令，不能是“%1”；请参阅 --help。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="96"/>
        <source>--listen takes IPV4:PORT, [IPV6]:PORT or localhost:PORT, not &quot;%1&quot;.</source>
        <translation>--listen 须为 IPv4地址:端口、[IPv6地址]:端口 或 localhost:端口，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="108"/>
        <source>--device takes a number from 0 to 255, not &quot;%1&quot;.</source>
        <translation>--device 须为 0 到 255 的数字，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="114"/>
        <source>--allow-host takes a host name, with or without :PORT, not &quot;%1&quot;.</source>
        <translation>--allow-host 须为主机名，可带或不带 :端口，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="121"/>
        <source>Give --set-password or --new-token, not both.</source>
        <translation>请只给出 --set-password 或 --new-token 之一。</translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="161"/>
        <source>%1 can be reached from other computers, so the service needs a password first. Set one with: vorfjp-web --set-password</source>
        <translation>其他计算机能访问 %1，因此服务须先设置密码。设置方法：vorfjp-web --set-password</translation>
    </message>
    <message>
        <location filename="../src/web/web_service.cpp" line="25"/>
        <source>Cannot listen on %1:%2: %3</source>
        <translation>无法在 %1:%2 上监听：%3</translation>
    </message>
    <message>
        <location filename="../src/web/http_server.cpp" line="358"/>
        <source>%1 is not an IPv4 or IPv6 address.</source>
        <translation>%1 不是 IPv4 或 IPv6 地址。</translation>
    </message>
    <message>
        <location filename="../src/web/http_server.cpp" line="381"/>
        <source>Cannot listen on %1 port %2.</source>
        <translation>无法在 %1 的端口 %2 上监听。</translation>
    </message>
</context>
</TS>
