<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>SendText</name>
    <message>
        <location filename="../src/cli/send_options.cpp" line="33"/>
        <source>Sends the board content to the LED board without the window.</source>
        <translation>不打开窗口，把显示内容发送到 LED 显示屏。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="37"/>
        <source>The serial port, as the window&apos;s port box takes it: a number, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT (default: the window&apos;s saved choice).</source>
        <translation>串口，写法与窗口的“串口号”一栏相同：编号、设备路径、tcp://主机:端口 或 rfc2217://主机:端口（默认：窗口保存的串口）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="42"/>
        <source>The board&apos;s device number, 0 to 255 (default 255: every board).</source>
        <translation>显示屏的设备编号，0 到 255（默认 255：所有显示屏）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="45"/>
        <source>The board content file (default: the one the window uses).</source>
        <translation>显示内容文件（默认：窗口使用的那一个）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="48"/>
        <source>How long test waits for the board&apos;s answer, in ms (default 2000).</source>
        <translation>test 等待显示屏回答的时间，单位毫秒（默认 2000）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="51"/>
        <source>Open nothing; print each frame as upper-case hex bytes, one per line.</source>
        <translation>不打开串口；每个数据帧以大写十六进制字节各占一行输出。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="53"/>
        <source>Print the machine&apos;s serial ports, one a line: path, tab, description; send nothing.</source>
        <translation>列出本机的串口，每行一个：路径、制表符、说明；不发送任何内容。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="57"/>
        <source>test, time, rooms, rates or weather; run in the order given, the first that fails stops the rest.</source>
        <translation>test、time、rooms、rates 或 weather；按给出的顺序执行，第一个失败的命令会停止其余的命令。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="85"/>
        <source>--device takes a number from 0 to 255, not &quot;%1&quot;.</source>
        <translation>--device 需要 0 到 255 之间的数字，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="94"/>
        <source>--timeout takes a number of milliseconds, not &quot;%1&quot;.</source>
        <translation>--timeout 需要毫秒数，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="101"/>
        <source>--list-ports sends nothing: give it without commands.</source>
        <translation>--list-ports 不发送任何内容：请不要同时给出命令。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="107"/>
        <source>Name at least one command: test, time, rooms, rates or weather.</source>
        <translation>请至少给出一个命令：test、time、rooms、rates 或 weather。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="112"/>
        <source>Unknown command &quot;%1&quot;: use test, time, rooms, rates or weather.</source>
        <translation>未知命令“%1”：请使用 test、time、rooms、rates 或 weather。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="24"/>
        <source>&quot;%1&quot; names no serial port: give a port number (1 to 16) or the full path of a serial device.</source>
        <translation>“%1”不是串口号：请给出串口的编号（例如 1 到 16）或串口设备的完整路径。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="28"/>
        <source>The serial port %1 does not exist: check the cable or adapter and the port given.</source>
        <translation>串口 %1 不存在：请检查串口线或转换器，以及给出的串口。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="31"/>
        <source>The serial port %1 is in use by another program: close it and try again.</source>
        <translation>串口 %1 正被另一个程序占用：请关闭那个程序后再试。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="34"/>
        <source>No permission to open the serial port %1: add the user to the dialout group and log in again.</source>
        <translation>没有打开串口 %1 的权限：请把用户加入 dialout 组，然后重新登录。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="38"/>
        <source>The serial device server %1 cannot be reached (refused, unknown host, no answer within 3 s, or not a serial device server): check its address and port and that it runs.</source>
        <translation>无法连接串口服务器 %1（被拒绝、主机未知、3 秒内无应答，或对方不是串口服务器）：请检查其地址和端口，并确认它正在运行。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="43"/>
        <source>The serial device server %1 took the connection and closed it: it cannot open its serial device, or another client holds it. Check the server&apos;s device and settings, then send again.</source>
        <translation>串口服务器 %1 接受连接后又关闭了它：它打不开自己的串口设备，或串口正被别的客户端占用。请检查服务器的串口设备和设置，然后重新发送。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="52"/>
        <source>The serial port %1 cannot be opened.</source>
        <translation>无法打开串口 %1。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="118"/>
        <source>The board did not answer the connection test in time.</source>
        <translation>显示屏没有在规定时间内回答连接测试。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="122"/>
        <source>The line to the board was lost: check the cable and the serial device.</source>
        <translation>与显示屏的串口连接断开了：请检查串口线和串口设备。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="126"/>
        <source>The serial device server %1 closed the connection before its line could carry the frames: it may not have its serial device open, or another client took it. Check the server and its device, then send again.</source>
        <translation>串口服务器 %1 在数据送上串口之前关闭了连接：它可能没有打开自己的串口设备，或串口被别的客户端占去了。请检查服务器和它的串口设备，然后重新发送。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="134"/>
        <source>The serial device server %1 did not confirm in time that it had read the frames: check the server and the board behind it, then send again.</source>
        <translation>串口服务器 %1 没有及时确认收到数据帧：请检查服务器和它后面的显示屏，然后重新发送。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="142"/>
        <source>The frame was not sent: the port did not take it.</source>
        <translation>数据没有发送到显示屏：串口没有接受数据帧。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="168"/>
        <source>The content file %1 cannot be used:</source>
        <translation>无法使用显示内容文件 %1：</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="29"/>
        <source>The %1 area of the content file (&quot;%2&quot;) is not one the board can have: address %3, length %4; both must lie within 0 to %5.</source>
        <translation>显示内容文件中的%1区（“%2”）不是显示屏可能有的设置：地址 %3，长度 %4；两者都必须在 0 到 %5 之间。</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="53"/>
        <source>The computer&apos;s clock gives no valid local time.</source>
        <translation>计算机的时钟没有给出有效的本地时间。</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="56"/>
        <source>room-rate</source>
        <translation>房价</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="62"/>
        <source>exchange-rate</source>
        <translation>外币牌价</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="68"/>
        <source>temperature</source>
        <translation>温度</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="72"/>
        <source>The weather text cannot be drawn: its module is missing or damaged (%1). Reinstall vorfjp.</source>
        <translation>无法绘制天气文字：绘制模块缺失或损坏（%1）。请重新安装 vorfjp。</translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="77"/>
        <source>No font to draw the weather text: install SimSun or GNU Unifont (Debian: fonts-unifont).</source>
        <translation>没有绘制天气文字的字体：请安装宋体或 GNU Unifont（Debian：fonts-unifont）。</translation>
    </message>
</context>
</TS>
