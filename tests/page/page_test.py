#!/usr/bin/python3
"""The page of vorfjp-web in headless chromium, against the real service and the virtual board.

The board is the delivered content file's: room rates at address 0 (32 cells), exchange rates at
32 (72 cells), temperatures at 104 (4 cells), every room rate 1234, the temperatures 12 and 18.
Expected frames are worked out by hand from the board's frame rules: 02, the total length (two
bytes), the device number, EE, the command, the payload, the XOR of everything between 02 and the
check byte, 03; a digit's cell code lights a segment with a 0 bit (1 F9, 2 A4, 3 B0, 4 99, 6 82,
8 80, a blank FF).
"""

import os
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

import page_harness
from page_harness import PageTest


def hex_bytes(text):
    return ' '.join(text.split()).upper()


def record_of(content_bytes):
    """The content file's one record, as characters."""
    return content_bytes.decode('gbk').rstrip('\r\n')


class Login(PageTest):
    def test_login(self):
        """With a password set the page asks for it first; a wrong one is refused beside the field."""
        self.until(lambda: self.element('login').is_displayed(), 'the login form')
        self.assertFalse(self.element('board').is_displayed())

        self.element('password').send_keys('not-the-password')
        self.element('password').send_keys(Keys.ENTER)
        self.assertEqual(self.error_beside('password'), '密码错误。')
        self.assertFalse(self.element('board').is_displayed())

        self.element('password').clear()
        self.log_in()
        self.assertEqual(self.element('rooms.1').get_attribute('value'), '1234')
        self.assertEqual(self.element('weather.text').get_attribute('value'), '多云转晴')
        # The names beside the rows come from the content file, wrapped as the window wraps them.
        self.assertEqual(self.label_of('rooms.8'), '加    床')
        self.assertEqual(self.label_of('rates.6.a'), '澳元，第一个值')
        self.assertEqual(self.label_of('rates.6.b'), '澳元，第二个值')
        self.assertFalse(self.element('login').is_displayed())

        # A reload keeps the session, and the way to end it.
        self.driver.refresh()
        self.until(lambda: self.element('board').is_displayed(), 'the board after a reload')
        self.until(lambda: self.element('logout').is_displayed(), 'the log-out button after a reload')
        self.screenshot('page-after-reload.png', 1280)

        # Logging out ends the session: a fresh load asks again.
        self.element('logout').click()
        self.until(lambda: self.element('login').is_displayed(), 'the login form after logging out')
        self.driver.refresh()
        self.until(lambda: self.element('login').is_displayed(), 'the login form after a reload')
        self.assertFalse(self.element('board').is_displayed())


class RoomRates(PageTest):
    def test_room_rates(self):
        """A changed room rate is saved and reaches the board as one exact frame; the connection test
        reports the device that answered."""
        self.log_in()
        before = record_of(self.service.content_bytes())
        self.type_into('device', '7')
        self.type_into('rooms.1', '688')
        self.button('发送房价').click()
        self.assertEqual(self.result_of('发送房价').text, '已发送。')

        # Area 0, 32 cells: " 688" (FF 82 80 80), then 1234 for rooms 2 to 8; check byte C9.
        expected = ('02 00 2C 07 EE 25 00 00 00 20 FF 82 80 80' + ' F9 A4 B0 99' * 7 + ' C9 03')
        self.assertEqual(self.board.frame()['bytes'], hex_bytes(expected))

        # The file holds the new rate, right-justified in its four characters, and nothing else new.
        after = record_of(self.service.content_bytes())
        self.assertEqual(after[124:128], ' 688')
        self.assertEqual(after[:124] + after[128:], before[:124] + before[128:])

        self.until(lambda: '发送房价，7 号设备：已发送。' in self.element('last-sends').text, 'the send in the list')
        self.assertEqual(self.element('port').text, self.board.pty)

        # The connection test names the device that answered; its check byte is C6 for any device.
        self.button('测试连接').click()
        self.assertEqual(self.board.frame()['bytes'], hex_bytes('02 00 09 07 EE 21 07 C6 03'))
        self.assertEqual(self.result_of('测试连接').text, '找到 7 号设备~！')
        self.until(lambda: '测试连接，7 号设备：找到 7 号设备~！' in self.element('last-sends').text,
                   'the test in the list')


class WeatherCut(PageTest):
    def wait_weather(self, text):
        label = f'天气文字“{text}”的点阵'
        self.until(lambda: self.element('preview-dots').get_attribute('aria-label') == label,
                   f'the matrix of {text}')

    def test_weather_cut(self):
        """Six Chinese characters are wider than the matrix: the preview cuts them where the board does."""
        self.log_in()
        self.type_into('device', '7')
        self.type_into('weather.text', '多云转晴')
        self.wait_weather('多云转晴')
        self.assertNotIn('cut', self.element('matrix').get_attribute('class'))
        self.assertFalse(self.element('weather-cut').is_displayed())
        four = self.lit_dots()
        self.assertEqual([len(row) for row in four], [64] * 16)
        self.assertGreater(sum(row.count('#') for row in four), 100)

        self.type_into('weather.text', '多云转晴有雨')
        self.wait_weather('多云转晴有雨')
        self.assertIn('cut', self.element('matrix').get_attribute('class'))
        self.assertEqual(self.element('weather-shown').find_element(By.TAG_NAME, 'del').text, '有雨')
        note = self.element('weather-cut')
        self.assertTrue(note.is_displayed())
        self.assertIn('“多云转晴”', note.text)
        six = self.lit_dots()
        self.assertEqual(six, four, 'the fifth and sixth characters leave no dot')
        self.screenshot('page-weather-cut.png', 1280)

        # Sent, the board shows exactly what the preview drew: the temperatures first (area 104,
        # "1218", check byte 94), then the dots.
        self.button('发送天气预报').click()
        self.assertEqual(self.board.frame()['bytes'], hex_bytes('02 00 10 07 EE 25 00 68 00 04 F9 A4 F9 80 94 03'))
        dots = self.board.frame()
        self.assertTrue(dots['bytes'].startswith(hex_bytes('02 00 8E 07 EE 29 00 01 C0 00 08 10')))
        self.assertEqual(dots['rows'], six)
        self.assertEqual(self.result_of('发送天气预报').text, '已发送。')
        self.assertEqual(record_of(self.service.content_bytes())[524:544], '多云转晴有雨'.ljust(20))


class Temperatures(PageTest):
    def preview_cells(self, area):
        """The cell codes the preview draws for an area, once it answers for what was typed; a
        segment drawn lit is a 0 bit of its cell's code."""
        self.until(lambda: not self.script('return previewRunning'), 'the preview of what was typed')
        return self.script("""
            return [...document.querySelectorAll(`#preview-${arguments[0]} .cell`)].map((cell) =>
                [...cell.children].reduce((code, part, bit) => part.classList.contains('on') ? code : code | (1 << bit), 0));""",
                           area)

    def retype(self, element_id, text):
        """Replaces the field's text as an operator does, with the keys, so that emptying it is an
        input too."""
        field = self.element(element_id)
        field.send_keys(Keys.CONTROL, 'a')
        field.send_keys(Keys.BACKSPACE)
        if text:
            field.send_keys(text)

    def test_temperatures(self):
        """The preview shows the temperature cells that the board then gets, also where the content
        file's two characters pad a one-digit temperature with a blank."""
        self.log_in()
        self.type_into('device', '7')
        for low, high, cells in [('5', '9', '92 FF 90 FF'), ('12', '18', 'F9 A4 F9 80'),
                                 ('-5', '3', 'BF 92 B0 FF'), ('', '', 'FF FF FF FF')]:
            with self.subTest(low=low, high=high):
                self.retype('weather.low', low)
                self.retype('weather.high', high)
                shown = self.preview_cells('temperature')
                if (low, high) == ('5', '9'):
                    self.screenshot('page-one-digit-temperature.png', 1280)
                self.button('发送天气预报').click()
                frame = bytes.fromhex(self.board.frame()['bytes'])
                dots = bytes.fromhex(self.board.frame()['bytes'])
                self.assertEqual(self.result_of('发送天气预报').text, '已发送。')
                # Area 104 (00 68), 4 cells, then the weather's dots.
                self.assertEqual(frame[:10], bytes.fromhex('02 00 10 07 EE 25 00 68 00 04'))
                self.assertEqual(len(dots), 142)
                self.assertEqual(frame[10:14], bytes.fromhex(cells))
                self.assertEqual(shown, list(frame[10:14]))


class BadValues(PageTest):
    def test_bad_values(self):
        """A value the board cannot show, or a device number out of range, is shown beside its field
        and nothing is sent or saved."""
        self.log_in()
        before = self.service.content_bytes()

        self.type_into('rooms.3', '12a')
        # Shown while typing, before anything is sent.
        self.assertIn('“a”', self.error_beside('rooms.3'))
        self.button('发送房价').click()
        self.assertIn('没有发送', self.result_of('发送房价').text)
        self.assertIn('“a”', self.error_beside('rooms.3'))

        self.type_into('device', '300')
        self.button('测试连接').click()
        self.assertIn('没有发送', self.result_of('测试连接').text)
        self.assertEqual(self.error_beside('device'), '设备编号须为 0 到 255 之间的整数。')

        # The clock goes out next; had anything been sent before it, the board would have it first.
        self.type_into('device', '7')
        self.button('同步时间').click()
        clock = bytes.fromhex(self.board.frame()['bytes'])
        self.assertEqual(clock[:6], bytes.fromhex('02 00 0E 07 EE 20'))
        self.assertEqual(len(clock), 14)
        self.assertEqual(self.result_of('同步时间').text, '已发送。')
        self.assertIsNone(self.element('device').get_attribute('aria-invalid'))
        self.assertEqual(self.service.content_bytes(), before)
        self.until(lambda: len(self.element('last-sends').find_elements(By.TAG_NAME, 'li')) == 1
                   and '同步时间' in self.element('last-sends').text, 'only the clock in the list')


class Plans(PageTest):
    """A weekend plan and its rule, made on the page."""

    def password(self):
        return None

    def week_row(self, area, day):
        """The plan in force at each hour of a day (0 Monday) in an area's week view."""
        return self.script("""
            const slots = [...document.querySelectorAll(`#week .week-area[data-area="${arguments[0]}"] .slot`)];
            return slots.slice(arguments[1] * 24, arguments[1] * 24 + 24).map((slot) => slot.dataset.plan);""",
                           area, day)

    def shot_of(self, element_id, name, width):
        """One part of the page at width CSS pixels, the page as tall as it is so that all of it shows."""
        folder = os.environ.get('VORFJP_PAGE_SCREENSHOTS', self.folder)
        page_harness.set_viewport(self.driver, width, self.HEIGHT)
        self.until(lambda: self.script('return window.innerWidth') == width, f'the page at {width} px')
        height = self.script('return document.documentElement.scrollHeight')
        page_harness.set_viewport(self.driver, width, height)
        self.until(lambda: self.script('return window.innerHeight') == height, 'the page resized for the shot')
        self.element(element_id).screenshot(os.path.join(folder, name))
        page_harness.set_viewport(self.driver, self.WIDTH, self.HEIGHT)

    def test_weekend_rule(self):
        """The week view shows a weekend rule from Friday 18:00 to Monday 06:00 once it is saved,
        and the board at Saturday 20:00 shows the weekend's rates."""
        self.wait_loaded()
        self.script("document.getElementById('moment').value = '2026-12-19T20:00'")
        self.element('show-moment').click()
        self.until(lambda: '没有计划' in self.element('moment-result').text, 'the moment without plans')
        self.until(lambda: self.week_row('rooms', 5) == [''] * 24, 'an empty week')

        self.type_into('plan-name', 'weekend')
        self.element('plan-add').click()
        self.type_into('plan.rooms.1', '1088')
        self.type_into('plan.rates.1.a', '712.35')
        self.element('rule-add').click()
        self.type_into('rule.1.id', 'wkend')
        self.type_into('rule.1.from', 'fri 18:00')
        self.type_into('rule.1.to', 'mon 06:00')
        self.element('schedule-save').click()
        self.until(lambda: self.element('schedule-result').text.startswith('已保存（第 1 版）'), 'the schedule saved')

        weekend = ['weekend'] * 24
        self.until(lambda: self.week_row('rooms', 5) == weekend, 'Saturday in the weekend plan')
        self.assertEqual(self.week_row('rooms', 4), [''] * 18 + ['weekend'] * 6)
        self.assertEqual(self.week_row('rooms', 6), weekend)
        self.assertEqual(self.week_row('rates', 6), weekend)
        self.assertEqual(self.week_row('weather', 6), [''] * 24)

        self.element('show-moment').click()
        self.until(lambda: '计划“weekend”（规则 wkend）' in self.element('moment-result').text, 'the plan at Saturday 20:00')
        self.until(lambda: self.preview_cells('rooms')[:4] == [0xF9, 0xC0, 0x80, 0x80], 'the weekend room rate drawn')
        # " 712.35": a blank cell, then 7 1 2. 3 5; the point is bit 7 of the 2's cell, cleared.
        self.assertEqual(self.preview_cells('rates')[:6], [0xFF, 0xF8, 0xF9, 0x24, 0xB0, 0x92])
        self.assertIn('按计划的内容', self.element('preview-note').text)
        # The content itself is untouched: the preview only shows what the plan would put in.
        self.assertEqual(self.element('rooms.1').get_attribute('value'), '1234')

        for width in (360, 1280):
            self.shot_of('week', f'page-week-{width}.png', width)
            self.shot_of('plans-section', f'page-plans-{width}.png', width)

        # From now until tomorrow noon in two taps: the plan, then the end.
        self.button('现在改用“weekend”').click()
        self.until(lambda: self.driver.find_elements(By.XPATH, '//button[normalize-space()="到明天 12:00"]'),
                   'the choice of ends')
        self.button('到明天 12:00').click()
        self.until(lambda: self.element('override-result').text.startswith('从 '), 'the override saved')
        self.assertTrue(self.element('override-result').text.endswith(' 12:00 改用“weekend”。'))
        self.assertEqual(self.element('rule.2.kind').get_attribute('value'), 'override')
        self.assertEqual(self.element('rule.2.to').get_attribute('value')[11:], '12:00')

    def preview_cells(self, area):
        return self.script("""
            return [...document.querySelectorAll(`#preview-${arguments[0]} .cell`)].map((cell) =>
                [...cell.children].reduce((code, part, bit) => part.classList.contains('on') ? code : code | (1 << bit), 0));""",
                           area)


class Widths(PageTest):
    def password(self):
        return None

    def controls(self):
        return self.driver.find_elements(By.CSS_SELECTOR, '#board input, #board button')

    def check_width(self, width):
        page_harness.set_viewport(self.driver, width, self.HEIGHT)
        self.until(lambda: self.script('return window.innerWidth') == width, f'the page at {width} px')
        self.assertLessEqual(self.script('return document.scrollingElement.scrollWidth'), width)
        for control in self.controls():
            left, right = self.script('const r = arguments[0].getBoundingClientRect(); return [r.left, r.right];',
                                      control)
            self.assertGreaterEqual(left, 0, control.get_attribute('id') or control.text)
            self.assertLessEqual(right, width, control.get_attribute('id') or control.text)

    def test_widths(self):
        """Without a password there is no login; the page fits a phone and a desktop, and every
        control has a label and can be reached by keyboard with a visible focus."""
        self.wait_loaded()
        self.assertFalse(self.element('login').is_displayed())
        self.assertFalse(self.element('logout').is_displayed())

        # Everything comes from the program itself, within the weight the page may have.
        origin = self.service.url.rstrip('/')
        resources = self.script("return performance.getEntriesByType('resource').map((e) => e.name)")
        self.assertTrue(all(name.startswith(origin + '/') for name in resources), resources)
        weight = self.script("""
            const files = performance.getEntriesByType('navigation').concat(performance.getEntriesByType('resource'))
                .filter((e) => !e.name.includes('/api/'));
            return files.reduce((sum, e) => sum + e.encodedBodySize, 0);""")
        self.assertLessEqual(weight, 100 * 1024)

        for control in self.driver.find_elements(By.CSS_SELECTOR, '#board input'):
            labels = control.get_property('labels')
            self.assertTrue(labels and labels[0].get_attribute('textContent').strip(), control.get_attribute('id'))

        self.check_width(360)
        wanted = {control.id for control in self.controls()}
        self.element('rooms.1').click()
        reached = set()
        for _ in range(2 * len(wanted) + 4):
            active = self.driver.switch_to.active_element
            if active.id in wanted:
                reached.add(active.id)
                outline = self.script('const s = getComputedStyle(arguments[0]); return [s.outlineStyle, s.outlineWidth];',
                                      active)
                self.assertNotEqual(outline[0], 'none', active.get_attribute('id') or active.text)
                self.assertGreaterEqual(float(outline[1].rstrip('px')), 2)
            active.send_keys(Keys.TAB)
        self.assertEqual(len(reached), len(wanted), 'every control is reached with the Tab key')
        self.script('document.activeElement.blur()')
        self.screenshot('page-360.png', 360)

        self.check_width(1280)
        self.screenshot('page-1280.png', 1280)


if __name__ == '__main__':
    unittest.main()
