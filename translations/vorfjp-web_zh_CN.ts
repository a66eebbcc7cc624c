<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>WebText</name>
    <message>
        <location filename="../src/webd/credential_commands.cpp" line="41"/>
        <source>New password: </source>
        <translation>新密码：</translation>
    </message>
    <message>
        <location filename="../src/webd/credential_commands.cpp" line="29"/>
        <source>No password given; type it on one line, or pipe it in.</source>
        <translation>没有给出密码；请在一行内输入，或通过管道传入。</translation>
    </message>
    <message>
        <location filename="../src/webd/credential_commands.cpp" line="32"/>
        <source>The same again: </source>
        <translation>再输入一次：</translation>
    </message>
    <message>
        <location filename="../src/webd/credential_commands.cpp" line="33"/>
        <source>The two passwords differ; nothing was stored.</source>
        <translation>两次输入的密码不同；没有保存任何内容。</translation>
    </message>
    <message>
        <location filename="../src/webd/credential_commands.cpp" line="48"/>
        <source>Password stored in %1. A running service takes it at once and ends the sessions of the old one; a service started without a password needs a restart: systemctl --user restart vorfjp-web</source>
        <translation>密码已保存在 %1。正在运行的服务立即使用新密码，并结束旧密码的所有会话；启动时没有密码的服务须重新启动：systemctl --user restart vorfjp-web</translation>
    </message>
    <message>
        <location filename="../src/webd/credential_commands.cpp" line="64"/>
        <source>Token &quot;%1&quot; stored in %2 (only its hash). Scripts send it as the header &quot;Authorization: Bearer TOKEN&quot;; it is shown only this once.</source>
        <translation>令牌“%1”已保存在 %2（只保存其散列值）。脚本以请求头“Authorization: Bearer 令牌”发送它；令牌只显示这一次。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="100"/>
        <source>Cannot make the folder %1.</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="106"/>
        <source>Cannot write %1: %2.</source>
        <translation>无法写入 %1：%2。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="113"/>
        <source>The password is empty; nothing was stored.</source>
        <translation>密码为空；没有保存任何内容。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="121"/>
        <source>Not enough memory to hash the password; nothing was stored.</source>
        <translation>内存不足，无法计算密码的散列值；没有保存任何内容。</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="132"/>
        <source>%1 holds no password. Set one with: vorfjp-web --set-password</source>
        <translation>%1 中没有密码。请用以下命令设置密码：vorfjp-web --set-password</translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="150"/>
        <source>A token&apos;s name is 1 to 64 letters, digits, dots, dashes or underscores, not &quot;%1&quot;.</source>
        <translation>令牌名称须为 1 到 64 个字母、数字、点、连字符或下划线，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="44"/>
        <source>Serves the board content and the board&apos;s commands over HTTP, to a page and to scripts.</source>
        <translation>通过 HTTP 向网页和脚本提供显示内容和显示屏命令。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="49"/>
        <source>The address to listen on: IPV4:PORT, [IPV6]:PORT or localhost:PORT (default 127.0.0.1:8417). An address that other computers can reach needs a password first (--set-password).</source>
        <translation>监听地址：IPv4地址:端口、[IPv6地址]:端口 或 localhost:端口（默认 127.0.0.1:8417）。其他计算机能访问的地址须先设置密码（--set-password）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="54"/>
        <source>The serial port, as the window&apos;s port box takes it: a number, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT (default: the window&apos;s saved choice).</source>
        <translation>串口，写法与窗口的“串口号”一栏相同：编号、设备路径、tcp://主机:端口 或 rfc2217://主机:端口（默认：窗口保存的串口）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="60"/>
        <source>The board&apos;s device number, 0 to 255, for sends that name none (default 255: every board).</source>
        <translation>未指定设备编号的发送所用的显示屏设备编号，0 到 255（默认 255：所有显示屏）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="63"/>
        <source>The board content file (default: the one the window uses).</source>
        <translation>显示内容文件（默认：窗口使用的文件）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="67"/>
        <source>A further name the service answers to, such as the computer&apos;s name on the hotel&apos;s network, with or without :PORT; may be given more than once.</source>
        <translation>服务另外接受的主机名，例如本机在酒店网络中的名称，可带或不带 :端口；可多次给出。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="72"/>
        <source>Serve HTTPS with this certificate (PEM, the chain after it); needs --tls-key. Without it, an address that other computers can reach is served over HTTPS with a self-signed certificate made on the first start.</source>
        <translation>以此证书提供 HTTPS（PEM 格式，证书链跟在其后）；须同时给出 --tls-key。不给出时，其他计算机能访问的地址以首次启动时生成的自签名证书提供 HTTPS。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="77"/>
        <source>The private key of --tls-cert (PEM).</source>
        <translation>--tls-cert 证书的私钥（PEM 格式）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="80"/>
        <source>Serve plain HTTP even on an address that other computers can reach, such as behind a proxy that speaks HTTPS for the service.</source>
        <translation>即使在其他计算机能访问的地址上也以普通 HTTP 提供服务，例如在代本服务提供 HTTPS 的代理之后。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="84"/>
        <source>The address of a proxy in front of the service: only for its requests is the client taken from the last address in X-Forwarded-For.</source>
        <translation>本服务前面的代理的地址：只有来自它的请求，才以 X-Forwarded-For 中最后一个地址作为客户端。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="89"/>
        <source>Read a password from standard input (one line), store only a slow salted hash of it, and end.</source>
        <translation>从标准输入读取密码（一行），只保存其加盐的慢速散列值，然后结束。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="92"/>
        <source>Print a new token for scripts (Authorization: Bearer TOKEN), store only its hash under NAME, and end. A token stored under the same name stops working.</source>
        <translation>为脚本输出一个新令牌（Authorization: Bearer 令牌），以 NAME 为名只保存其散列值，然后结束。同名的旧令牌随即失效。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="97"/>
        <source>Also serve the board on an MQTT broker, with Home Assistant discovery: mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT]. The password is stored with --set-mqtt-password.</source>
        <translation>同时在 MQTT 代理上提供这块显示屏，并让 Home Assistant 自动发现：mqtt://[用户@]主机[:端口] 或 mqtts://[用户@]主机[:端口]。密码用 --set-mqtt-password 保存。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="102"/>
        <source>This board&apos;s name on the broker and in Home Assistant, with the device number making its id (default: the computer&apos;s host name).</source>
        <translation>这块显示屏在代理上和 Home Assistant 中的名称，与设备编号一起组成它的标识（默认：本机的主机名）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="106"/>
        <source>The topics&apos; base (default: vorfjp/NAME-DEVICE).</source>
        <translation>主题的前缀（默认：vorfjp/名称-设备编号）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="109"/>
        <source>For mqtts: the CA certificate the broker&apos;s is checked against (default: the system&apos;s).</source>
        <translation>用于 mqtts：校验代理证书所用的 CA 证书（默认：系统的证书）。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="114"/>
        <source>Read the broker&apos;s password from standard input (one line), store it in a file only you can read, and end.</source>
        <translation>从标准输入读取代理的密码（一行），保存到只有您能读的文件中，然后结束。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="131"/>
        <source>vorfjp-web takes no commands, not &quot;%1&quot;; see --help.</source>
        <translation>vorfjp-web 不接受命令，不能是“%1”；请参阅 --help。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="138"/>
        <source>--listen takes IPV4:PORT, [IPV6]:PORT or localhost:PORT, not &quot;%1&quot;.</source>
        <translation>--listen 须为 IPv4地址:端口、[IPv6地址]:端口 或 localhost:端口，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="150"/>
        <source>--device takes a number from 0 to 255, not &quot;%1&quot;.</source>
        <translation>--device 须为 0 到 255 的数字，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="156"/>
        <source>--allow-host takes a host name, with or without :PORT, not &quot;%1&quot;.</source>
        <translation>--allow-host 须为主机名，可带或不带 :端口，不能是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="160"/>
        <source>Give --tls-cert and --tls-key together.</source>
        <translation>请同时给出 --tls-cert 和 --tls-key。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="163"/>
        <source>Give --tls-cert or --plain-http, not both.</source>
        <translation>请给出 --tls-cert 或 --plain-http，不要同时给出。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="171"/>
        <source>--trust-proxy takes an IPv4 or IPv6 address, not &quot;%1&quot;.</source>
        <translation>--trust-proxy 须为 IPv4 或 IPv6 地址，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="178"/>
        <source>Give --set-password or --new-token, not both.</source>
        <translation>请只给出 --set-password 或 --new-token 之一。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="184"/>
        <source>--mqtt takes no password, which anyone could read in the process list; store it with --set-mqtt-password.</source>
        <translation>--mqtt 中不能写密码，任何人都能在进程列表中看到它；请用 --set-mqtt-password 保存密码。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="186"/>
        <source>--mqtt takes mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT], not &quot;%1&quot;.</source>
        <translation>--mqtt 须为 mqtt://[用户@]主机[:端口] 或 mqtts://[用户@]主机[:端口]，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="196"/>
        <source>--mqtt-name takes 1 to 64 letters a-z, digits, dots, dashes or underscores, starting with a letter or digit, not &quot;%1&quot;.</source>
        <translation>--mqtt-name 须为 1 到 64 个字母 a-z、数字、点、连字符或下划线，以字母或数字开头，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="204"/>
        <source>--mqtt-base takes a topic such as hotel/lobby: no &quot;+&quot; or &quot;#&quot;, and no &quot;/&quot; at either end, not &quot;%1&quot;.</source>
        <translation>--mqtt-base 须为 hotel/lobby 这样的主题：不含“+”或“#”，两端没有“/”，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="211"/>
        <source>--mqtt-ca is for a broker reached with mqtts://.</source>
        <translation>--mqtt-ca 只用于以 mqtts:// 连接的代理。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="216"/>
        <source>--mqtt-name, --mqtt-base and --mqtt-ca go with --mqtt.</source>
        <translation>--mqtt-name、--mqtt-base 和 --mqtt-ca 须与 --mqtt 一起使用。</translation>
    </message>
    <message>
        <location filename="../src/webd/web_options.cpp" line="266"/>
        <source>%1 can be reached from other computers, so the service needs a password first. Set one with: vorfjp-web --set-password</source>
        <translation>其他计算机能访问 %1，因此服务须先设置密码。设置方法：vorfjp-web --set-password</translation>
    </message>
    <message>
        <location filename="../src/webd/web_service.cpp" line="30"/>
        <source>Cannot listen on %1:%2: %3</source>
        <translation>无法在 %1:%2 上监听：%3</translation>
    </message>
    <message>
        <location filename="../src/web/http_server.cpp" line="538"/>
        <source>%1 is not an IPv4 or IPv6 address.</source>
        <translation>%1 不是 IPv4 或 IPv6 地址。</translation>
    </message>
    <message>
        <location filename="../src/web/http_server.cpp" line="543"/>
        <source>This computer&apos;s libmicrohttpd is built without TLS.</source>
        <translation>本机的 libmicrohttpd 编译时没有启用 TLS。</translation>
    </message>
    <message>
        <location filename="../src/web/http_server.cpp" line="583"/>
        <source>Cannot listen on %1 port %2.</source>
        <translation>无法在 %1 的端口 %2 上监听。</translation>
    </message>
    <message>
        <location filename="../src/webd/service_main.cpp" line="118"/>
        <source>vorfjp-web: serving the board content file %1 on %2://%3:%4/</source>
        <translation>vorfjp-web：内容文件 %1，服务地址 %2://%3:%4/</translation>
    </message>
    <message>
        <location filename="../src/webd/service_main.cpp" line="123"/>
        <source>Made a self-signed certificate: %1</source>
        <translation>已生成自签名证书：%1</translation>
    </message>
    <message>
        <location filename="../src/webd/service_main.cpp" line="126"/>
        <source>Certificate fingerprint (SHA-256), to compare with the browser&apos;s: %1</source>
        <translation>证书指纹（SHA-256），请与浏览器显示的核对：%1</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="150"/>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="156"/>
        <source>Cannot read the certificate %1.</source>
        <translation>无法读取证书 %1。</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="153"/>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="164"/>
        <source>Cannot read the key %1.</source>
        <translation>无法读取私钥 %1。</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="160"/>
        <source>%1 is no PEM certificate.</source>
        <translation>%1 不是 PEM 格式的证书。</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="169"/>
        <source>The key %1 is not the key of the certificate %2.</source>
        <translation>私钥 %1 与证书 %2 不是一对。</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="171"/>
        <source>%1 is no PEM private key.</source>
        <translation>%1 不是 PEM 格式的私钥。</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_gnutls.cpp" line="185"/>
        <source>Cannot make a self-signed certificate.</source>
        <translation>无法生成自签名证书。</translation>
    </message>
    <message>
        <location filename="../src/webd/mqtt_service.cpp" line="71"/>
        <source>The broker&apos;s password: </source>
        <translation>代理的密码：</translation>
    </message>
    <message>
        <location filename="../src/webd/mqtt_service.cpp" line="78"/>
        <source>The broker&apos;s password is stored in %1, readable by you alone. Restart the service for it to take effect: systemctl --user restart vorfjp-web</source>
        <translation>代理的密码已保存在 %1，只有您能读取。重启服务后生效：systemctl --user restart vorfjp-web</translation>
    </message>
    <message>
        <location filename="../src/webd/mqtt_service.cpp" line="103"/>
        <source>MQTT: connected to %1; the board&apos;s topics are under %2/.</source>
        <translation>MQTT：已连接 %1；显示屏的主题在 %2/ 下。</translation>
    </message>
    <message>
        <location filename="../src/webd/mqtt_service.cpp" line="109"/>
        <source>MQTT %1: %2</source>
        <translation>MQTT %1：%2</translation>
    </message>
    <message>
        <location filename="../src/webd/mqtt_service.cpp" line="113"/>
        <source>MQTT: no password is stored for %1; store one with: vorfjp-web --set-mqtt-password</source>
        <translation>MQTT：没有为 %1 保存密码；请用 vorfjp-web --set-mqtt-password 保存。</translation>
    </message>
    <message>
        <location filename="../src/web/tls_certificate_win.cpp" line="15"/>
        <source>This build of vorfjp-web cannot serve HTTPS. Listen on this computer alone (--listen 127.0.0.1), or give --plain-http on a network you trust.</source>
        <translation>此版本的 vorfjp-web 不能提供 HTTPS。请只在本机监听（--listen 127.0.0.1），或在可信的网络中加上 --plain-http。</translation>
    </message>
</context>
</TS>
