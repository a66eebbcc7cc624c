<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>SendText</name>
    <message>
        <location filename="../src/cli/send_options.cpp" line="20"/>
        <source> or </source>
        <translation> 或 </translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="20"/>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="34"/>
        <source>Sends the board content to the LED board without the window.</source>
        <translation>不打开窗口，把显示内容发送到 LED 显示屏。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="38"/>
        <source>The serial port, as the window&apos;s port box takes it: a number, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT (default: the window&apos;s saved choice).</source>
        <translation>串口，写法与窗口的“串口号”一栏相同：编号、设备路径、tcp://主机:端口 或 rfc2217://主机:端口（默认：窗口保存的串口）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="43"/>
        <source>The board&apos;s device number, 0 to %1 (default %2: every board).</source>
        <translation>显示屏的设备编号，0 到 %1（默认 %2：所有显示屏）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="51"/>
        <source>How long test waits for the board&apos;s answer, in ms (default %1).</source>
        <translation>test 等待显示屏回答的时间，单位毫秒（默认 %1）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="95"/>
        <source>--device takes a number from 0 to %1, not &quot;%2&quot;.</source>
        <translation>--device 需要 0 到 %1 之间的数字，而不是“%2”。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="141"/>
        <source>Name at least one command: %1.</source>
        <translation>请至少给出一个命令：%1。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="145"/>
        <source>Unknown command &quot;%1&quot;: use %2.</source>
        <translation>未知命令“%1”：请使用 %2。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="48"/>
        <source>The board content file (default: the one the window uses).</source>
        <translation>显示内容文件（默认：窗口使用的那一个）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="55"/>
        <source>Open nothing; print each frame as upper-case hex bytes, one per line.</source>
        <translation>不打开串口；每个数据帧以大写十六进制字节各占一行输出。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="57"/>
        <source>Print the machine&apos;s serial ports, one a line: path, tab, description; send nothing.</source>
        <translation>列出本机的串口，每行一个：路径、制表符、说明；不发送任何内容。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="60"/>
        <source>set: take the changes from a JSON object of show&apos;s shape in FILE (- for standard input).</source>
        <translation>set：从 FILE 中与 show 输出形式相同的 JSON 对象读取修改（- 表示标准输入）。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="65"/>
        <source>%1; run in the order given, the first that fails stops the rest. Or %2: print the content as JSON. Or %3 KEY=VALUE...: change the content file, then run the commands that follow.</source>
        <translation>%1；按给出的顺序执行，第一个失败的命令会停止其余的命令。或者 %2：以 JSON 输出显示内容。或者 %3 键=值...：修改显示内容文件，然后执行后面的命令。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="106"/>
        <source>--timeout takes a number of milliseconds, not &quot;%1&quot;.</source>
        <translation>--timeout 需要毫秒数，而不是“%1”。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="113"/>
        <source>%1 takes no commands: give it alone.</source>
        <translation>%1 不带命令：请单独使用。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="129"/>
        <source>%1 needs changes: KEY=VALUE, or --json FILE.</source>
        <translation>%1 需要给出修改：键=值，或 --json 文件。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="131"/>
        <source>--json belongs to %1.</source>
        <translation>--json 只能与 %1 一起使用。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="135"/>
        <source>--list-ports sends nothing: give it without commands.</source>
        <translation>--list-ports 不发送任何内容：请不要同时给出命令。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="78"/>
        <source>The serial port %1 does not exist: check the cable or adapter and the port given.</source>
        <translation>串口 %1 不存在：请检查串口线或转换器，以及给出的串口。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="80"/>
        <source>The serial port %1 is in use by another program: close it and try again.</source>
        <translation>串口 %1 正被另一个程序占用：请关闭那个程序后再试。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="82"/>
        <source>No permission to open the serial port %1: add the user to the dialout group and log in again.</source>
        <translation>没有打开串口 %1 的权限：请把用户加入 dialout 组，然后重新登录。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="107"/>
        <source>The serial device server %1 took the connection and closed it: it cannot open its serial device, or another client holds it. Check the server&apos;s device and settings, then send again.</source>
        <translation>串口服务器 %1 接受连接后又关闭了连接：它打不开自己的串口设备，或串口正被别的客户端占用。请检查服务器上的串口设备和设置，然后重新发送。</translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="84"/>
        <location filename="../src/cli/content_run.cpp" line="71"/>
        <location filename="../src/cli/content_run.cpp" line="109"/>
        <location filename="../src/board/operator_text.cpp" line="435"/>
        <source>The content file %1 cannot be used:</source>
        <translation>无法使用显示内容文件 %1：</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="380"/>
        <source>The %1 area of the content file (&quot;%2&quot;) is not one the board can have: address %3, length %4; both must lie within 0 to %5.</source>
        <translation>显示内容文件中的%1区（“%2”）不是显示屏可能有的设置：地址 %3，长度 %4；两者都必须在 0 到 %5 之间。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="451"/>
        <source>The computer&apos;s clock gives no valid local time.</source>
        <translation>计算机的时钟没有给出有效的本地时间。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="59"/>
        <source>room-rate</source>
        <translation>房价</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="61"/>
        <source>exchange-rate</source>
        <translation>外币牌价</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="65"/>
        <source>temperature</source>
        <translation>温度</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="73"/>
        <source>&quot;%1&quot; names no serial port: give a port number (1 to %2), the full path of a serial device, or a device server as tcp://HOST:PORT or rfc2217://HOST:PORT.</source>
        <translation>“%1”不是串口号：请给出串口的编号（1 到 %2）、串口设备的完整路径，或串口服务器的地址 tcp://主机:端口 或 rfc2217://主机:端口。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="86"/>
        <source>The serial device server %1 refused the connection: check its address and port and that it runs.</source>
        <translation>串口服务器 %1 拒绝连接：请检查其地址和端口，并确认它正在运行。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="90"/>
        <source>The host of the serial device server %1 is unknown: check its name, or give its IP address.</source>
        <translation>找不到串口服务器 %1 的主机：请检查主机名，或改用 IP 地址。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="94"/>
        <source>The serial device server %1 did not answer within %2 s (%3): check the network and its address.</source>
        <translation>串口服务器 %1 在 %2 秒内没有应答（%3）：请检查网络和它的地址。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="100"/>
        <source>The serial device server %1 took the connection but did not answer the line settings within %2 s (%3): check that it speaks RFC 2217, or set the port on the server and use tcp://.</source>
        <translation>串口服务器 %1 接受了连接，但在 %2 秒内没有回应串口参数的设置（%3）：请确认它支持 RFC 2217，或在服务器上设好串口后改用 tcp://。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="112"/>
        <source>The serial device server %1 did not set its port to %2 baud 8N1 (%3): check that it speaks RFC 2217, or set the port on the server and use tcp://.</source>
        <translation>串口服务器 %1 没有把串口设成 %2 波特 8N1（%3）：请确认它支持 RFC 2217，或在服务器上设好串口后改用 tcp://。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="121"/>
        <source>The serial port %1 cannot be opened: %2.</source>
        <translation>无法打开串口 %1：%2。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="128"/>
        <location filename="../src/board/operator_text.cpp" line="402"/>
        <source>The line to the board was lost (%1): check the cable and the serial device.</source>
        <translation>与显示屏的连接断开了（%1）：请检查串口线和串口设备。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="131"/>
        <source>The serial device server %1 closed the connection before its line could carry the frames: it may not have its serial device open, or another client took it. Check the server and its device, then send again.</source>
        <translation>串口服务器 %1 在它的串口送出数据之前关闭了连接：它可能没有打开自己的串口设备，或串口被别的客户端占用。请检查服务器和它的串口设备，然后重新发送。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="136"/>
        <source>The serial device server %1 did not confirm within %2 s that it had read the frames: check the server and the board behind it, then send again.</source>
        <translation>串口服务器 %1 没有在 %2 秒内确认收到数据：请检查服务器和它后面的显示屏，然后重新发送。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="141"/>
        <source>The frame was not sent: %1 did not take it whole (%2).</source>
        <translation>数据帧没有发出：%1 没有接受整帧数据（%2）。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="143"/>
        <source>The serial port %1 did not get the frame out within %2 s, %3 bytes were left: check the cable and that the board receives.</source>
        <translation>串口 %1 在 %2 秒内没有发完这一帧，还剩 %3 个字节：请检查串口线，以及显示屏是否在接收。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="149"/>
        <source>The serial device server %1 did not take the frame within %2 s: check the server and the board behind it.</source>
        <translation>串口服务器 %1 在 %2 秒内没有收下这一帧：请检查服务器和它后面的显示屏。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="154"/>
        <source>The port %1 was busy with another frame: try again.</source>
        <translation>串口 %1 正在发送另一帧数据：请再试一次。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="159"/>
        <source>The frame was not sent: the port %1 was not open (%2).</source>
        <translation>数据帧没有发出：串口 %1 没有打开（%2）。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="191"/>
        <source>No font to draw the weather dots: the system has neither SimSun nor GNU Unifont. Install Unifont (Debian/Ubuntu: sudo apt-get install fonts-unifont), then start the program again.</source>
        <translation>找不到天气文字点阵所需的字体：系统中既没有“宋体”(SimSun)，也没有 GNU Unifont。请安装 Unifont 字体（Debian/Ubuntu：sudo apt-get install fonts-unifont）后重新启动本程序。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="371"/>
        <source>The temperatures were sent, the weather text was not.</source>
        <translation>温度已经发出，天气文字没有发送。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="411"/>
        <source>The port was closed during the weather pause.</source>
        <translation>串口在天气预报的等待期间被关闭了。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="416"/>
        <source>The window is waiting for the board&apos;s answer to another connection test: try again in a moment.</source>
        <translation>窗口正在等待显示屏回答另一个连接测试：请稍后再试。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="424"/>
        <source>The board did not answer the connection test within %1 ms.</source>
        <translation>显示屏没有在 %1 毫秒内回答连接测试。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="188"/>
        <source>The weather text cannot be drawn: its module is missing or damaged (%1). Reinstall vorfjp.</source>
        <translation>无法绘制天气文字：绘制模块缺失或损坏（%1）。请重新安装 vorfjp。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="166"/>
        <source>a room rate has %1 cells</source>
        <translation>一个房价有 %1 位</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="168"/>
        <source>an exchange rate has %1 cells</source>
        <translation>一个牌价有 %1 位</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="170"/>
        <source>a temperature has %1 cells</source>
        <translation>一个温度有 %1 位</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="172"/>
        <source>the weather text keeps %1 characters in the content file</source>
        <translation>天气文字在内容文件中占 %1 个字符</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="176"/>
        <source>the names keep %1 characters in the content file</source>
        <translation>名称在内容文件中占 %1 个字符</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="490"/>
        <source>unknown key &quot;%1&quot;: the keys are areas.rooms.address, areas.rooms.length (and the same for rates and temperature), names.rooms, names.currencies, rooms.1 to rooms.10, rates.1.a to rates.10.b, weather.text, weather.low and weather.high.</source>
        <translation>未知的键“%1”：可用的键有 areas.rooms.address、areas.rooms.length（rates 和 temperature 也一样）、names.rooms、names.currencies、rooms.1 到 rooms.10、rates.1.a 到 rates.10.b、weather.text、weather.low 和 weather.high。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="495"/>
        <source>%1: give it as %2, not %3.</source>
        <translation>%1：请给出%2，而不是 %3。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="498"/>
        <source>a number</source>
        <translation>数字</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="499"/>
        <source>a text in quotes</source>
        <translation>带引号的文字</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="500"/>
        <source>this</source>
        <translation>这个值</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="502"/>
        <source>%1: &quot;%2&quot; is not a whole number.</source>
        <translation>%1：“%2”不是整数。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="504"/>
        <source>%1: %2 is not an area the board can have: give 0 to %3.</source>
        <translation>%1：%2 不是显示屏可能有的显示区设置：请给出 0 到 %3。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="508"/>
        <source>%1: &quot;%2&quot; is %3 characters; %4.</source>
        <translation>%1：“%2”有 %3 个字符；%4。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="513"/>
        <source>%1: &quot;%2&quot; holds &quot;%3&quot;, which the board cannot show there: it shows digits, one &quot;.&quot; and blanks%4.</source>
        <translation>%1：“%2”含有“%3”，显示屏在这里显示不了：它只显示数字、一个“.”和空格%4。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="516"/>
        <source>, and &quot;-&quot; in a temperature</source>
        <translation>，温度中还可以有“-”</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="518"/>
        <source>%1: &quot;%2&quot; holds two points; a value takes one &quot;.&quot;, which lights the point of the cell before it.</source>
        <translation>%1：“%2”含有两个小数点；一个值只能有一个“.”，它点亮前一位的小数点。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="522"/>
        <source>%1: &quot;%2&quot; holds &quot;%3&quot;, which the content file (GBK) cannot store.</source>
        <translation>%1：“%2”含有“%3”，内容文件（GBK 编码）存不下这个字符。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="527"/>
        <source>%1: the value holds a line break or another control character, which the content file&apos;s one line cannot hold.</source>
        <translation>%1：这个值含有换行或其他控制字符，内容文件的一行容不下它。</translation>
    </message>
    <message>
        <location filename="../src/cli/content_run.cpp" line="38"/>
        <source>--json %1 cannot be read: %2.</source>
        <translation>无法读取 --json %1：%2。</translation>
    </message>
    <message>
        <location filename="../src/cli/content_run.cpp" line="41"/>
        <source>--json %1 is larger than %2 bytes: it is not board content.</source>
        <translation>--json %1 超过 %2 字节：这不是显示内容。</translation>
    </message>
    <message>
        <location filename="../src/cli/content_run.cpp" line="45"/>
        <source>--json %1 is not JSON: %2 at byte %3.</source>
        <translation>--json %1 不是 JSON：第 %3 个字节处%2。</translation>
    </message>
    <message>
        <location filename="../src/cli/content_run.cpp" line="47"/>
        <source>--json %1 holds no object: give one of the shape %2 prints.</source>
        <translation>--json %1 中没有对象：请给出与 %2 输出形式相同的对象。</translation>
    </message>
    <message>
        <location filename="../src/cli/content_run.cpp" line="115"/>
        <location filename="../src/board/operator_text.cpp" line="461"/>
        <source>The content file %1 cannot be used: it changed while it was read.</source>
        <translation>无法使用显示内容文件 %1：读取时它被改动了。</translation>
    </message>
    <message>
        <location filename="../src/board/operator_text.cpp" line="534"/>
        <source>%1: &quot;%2&quot; is %3 cells wide; the board&apos;s %4 x %5 matrix shows the first %6: &quot;%7&quot;.</source>
        <translation>%1：“%2”宽 %3 格；显示屏的 %4 x %5 点阵只显示前 %6 格：“%7”。</translation>
    </message>
</context>
</TS>
