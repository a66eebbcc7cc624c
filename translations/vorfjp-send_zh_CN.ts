<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>SendText</name>
    <message>
        <location filename="../src/cli/send_options.cpp" line="32"/>
        <source>Sends the board content to the LED board without the window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="36"/>
        <source>The serial port, as the window&apos;s port box takes it (default: the window&apos;s saved choice).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="40"/>
        <source>The board&apos;s device number, 0 to 255 (default 255: every board).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="43"/>
        <source>The board content file (default: the one the window uses).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="46"/>
        <source>How long test waits for the board&apos;s answer, in ms (default 2000).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="49"/>
        <source>Open nothing; print each frame as upper-case hex bytes, one per line.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="52"/>
        <source>test, time, rooms, rates or weather; run in the order given, the first that fails stops the rest.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="80"/>
        <source>--device takes a number from 0 to 255, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="89"/>
        <source>--timeout takes a number of milliseconds, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="95"/>
        <source>Name at least one command: test, time, rooms, rates or weather.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_options.cpp" line="100"/>
        <source>Unknown command &quot;%1&quot;: use test, time, rooms, rates or weather.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="20"/>
        <source>&quot;%1&quot; names no serial port: give a port number (1 to 16) or the full path of a serial device.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="24"/>
        <source>The serial port %1 does not exist: check the cable or adapter and the port given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="27"/>
        <source>The serial port %1 is in use by another program: close it and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="30"/>
        <source>No permission to open the serial port %1: add the user to the dialout group and log in again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="37"/>
        <source>The serial port %1 cannot be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="84"/>
        <source>The board did not answer the connection test in time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="88"/>
        <source>The line to the board was lost: check the cable and the serial device.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="93"/>
        <source>The frame was not sent: the port did not take it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/send_run.cpp" line="107"/>
        <source>The content file %1 cannot be used:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="30"/>
        <source>The %1 area of the content file (&quot;%2&quot;) is not one the board can have: address %3, length %4; both must lie within 0 to %5.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="54"/>
        <source>The computer&apos;s clock gives no valid local time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="57"/>
        <source>room-rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="63"/>
        <source>exchange-rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="69"/>
        <source>temperature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../src/cli/command_frames.cpp" line="74"/>
        <source>No font to draw the weather text: install SimSun or GNU Unifont (Debian: fonts-unifont).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
