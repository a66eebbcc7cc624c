<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>WebText</name>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="11"/>
        <source>New password: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="15"/>
        <source>No password given; type it on one line, or pipe it in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="18"/>
        <source>The same again: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="19"/>
        <source>The two passwords differ; nothing was stored.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="26"/>
        <source>Password stored in %1. Restart the service for it to take effect: systemctl --user restart vorfjp-web</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credential_commands.cpp" line="41"/>
        <source>Token &quot;%1&quot; stored in %2 (only its hash). Scripts send it as the header &quot;Authorization: Bearer TOKEN&quot;; it is shown only this once.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="40"/>
        <source>Cannot make the folder %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="46"/>
        <source>Cannot write %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="106"/>
        <source>The password is empty; nothing was stored.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="114"/>
        <source>Not enough memory to hash the password; nothing was stored.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/credentials.cpp" line="142"/>
        <source>A token&apos;s name is 1 to 64 letters, digits, dots, dashes or underscores, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="41"/>
        <source>Serves the board content and the board&apos;s commands over HTTP, to a page and to scripts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="46"/>
        <source>The address to listen on: IPV4:PORT, [IPV6]:PORT or localhost:PORT (default 127.0.0.1:8417). An address that other computers can reach needs a password first (--set-password).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="51"/>
        <source>The serial port, as the window&apos;s port box takes it: a number, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT (default: the window&apos;s saved choice).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="57"/>
        <source>The board&apos;s device number, 0 to 255, for sends that name none (default 255: every board).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="60"/>
        <source>The board content file (default: the one the window uses).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="64"/>
        <source>A further name the service answers to, such as the computer&apos;s name on the hotel&apos;s network, with or without :PORT; may be given more than once.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="69"/>
        <source>Read a password from standard input (one line), store only a slow salted hash of it, and end.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="72"/>
        <source>Print a new token for scripts (Authorization: Bearer TOKEN), store only its hash under NAME, and end. A token stored under the same name stops working.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="89"/>
        <source>vorfjp-web takes no commands, not &quot;%1&quot;; see --help.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="96"/>
        <source>--listen takes IPV4:PORT, [IPV6]:PORT or localhost:PORT, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="109"/>
        <source>--device takes a number from 0 to 255, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="115"/>
        <source>--allow-host takes a host name, with or without :PORT, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="122"/>
        <source>Give --set-password or --new-token, not both.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_options.cpp" line="161"/>
        <source>%1 can be reached from other computers, so the service needs a password first. Set one with: vorfjp-web --set-password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/web/web_service.cpp" line="25"/>
        <source>Cannot listen on %1:%2: %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
