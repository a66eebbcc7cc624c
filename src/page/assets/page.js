// The page of vorfjp-web: edit the board's content, see the board as it would look, send it.
// Everything it knows of the board comes from the API: the content (GET /api/content), the board
// drawn from the engine's own frames (POST /api/preview, asked again while the operator types),
// the line and the last sends (GET /api/status). Each send button saves its group's values
// (PATCH /api/content) and then sends them (POST /api/send/COMMAND), as a script would.
'use strict';

const SVG = 'http://www.w3.org/2000/svg';
const STATUS_EVERY_MS = 5000;

const byId = (id) => document.getElementById(id);

// The inputs of the three groups that are saved before their send, by command.
const groups = { rooms: [], rates: [], weather: [] };
let started = false;

// ---- the API ----------------------------------------------------------------------------------

// {status, ok, body}; status 0 when the service cannot be reached. A 401 brings up the login.
async function api(method, path, body) {
  const init = { method, credentials: 'same-origin', headers: {} };
  if (body !== undefined) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  let response;
  try {
    response = await fetch(path, init);
  } catch (error) {
    byId('connection').textContent = '连接不上 vorfjp-web：请检查网络，以及 vorfjp-web 是否还在运行，然后刷新页面。';
    return { status: 0, ok: false, body: {} };
  }
  byId('connection').textContent = '';
  let answer = {};
  try {
    answer = await response.json();
  } catch (error) {
    answer = {};
  }
  if (response.status === 401 && path !== '/api/login')
    showLogin();
  return { status: response.status, ok: response.ok, body: answer };
}

function messageOf(answer) {
  return answer.body.message || `vorfjp-web 回答了 HTTP ${answer.status}。`;
}

// ---- login ------------------------------------------------------------------------------------

function showLogin() {
  byId('board').hidden = true;
  byId('logout').hidden = true;
  byId('login').hidden = false;
  byId('password').focus();
}

async function login(event) {
  event.preventDefault();
  const password = byId('password');
  const answer = await api('POST', '/api/login', { password: password.value });
  if (!answer.ok) {
    showError(password, messageOf(answer), byId('login-error'));
    password.select();
    return;
  }
  password.value = '';
  showError(password, '', byId('login-error'));
  byId('login').hidden = true;
  load();
}

async function logout() {
  await api('POST', '/api/logout', {});
  showLogin();
}

// ---- fields and their errors ------------------------------------------------------------------

function errorOf(input) {
  return byId('error-' + input.id);
}

function showError(input, message, place = errorOf(input)) {
  place.textContent = message;
  if (message)
    input.setAttribute('aria-invalid', 'true');
  else
    input.removeAttribute('aria-invalid');
}

// Shows errors (by key, as the API names fields) beside the inputs they belong to; the others of
// inputs lose theirs. Returns how many of inputs have one.
function showErrors(errors, inputs) {
  let count = 0;
  for (const input of inputs) {
    const message = errors[input.dataset.key] || '';
    showError(input, message);
    if (message)
      count += 1;
  }
  return count;
}

function makeInput(key, value, className) {
  const input = document.createElement('input');
  input.id = key;
  input.dataset.key = key;
  input.className = className;
  input.value = value;
  input.autocomplete = 'off';
  input.spellcheck = false;
  input.inputMode = 'decimal';
  input.setAttribute('aria-describedby', 'error-' + key);
  return input;
}

function makeElement(tag, className, text) {
  const element = document.createElement(tag);
  if (className)
    element.className = className;
  if (text)
    element.textContent = text;
  return element;
}

function errorPlace(key) {
  const place = makeElement('span', 'error');
  place.id = 'error-' + key;
  return place;
}

// A row's label: its name from the board content, or its number where the content names none.
function labelText(label, name, row) {
  label.firstChild.textContent = name || `第 ${row} 行`;
  label.classList.toggle('unnamed', !name);
}

function makeLabel(key) {
  const label = makeElement('label', 'name');
  label.htmlFor = key;
  label.append(document.createTextNode(''));
  return label;
}

function buildRooms(rooms) {
  const box = byId('room-rows');
  box.replaceChildren();
  groups.rooms = rooms.map((value, i) => {
    const key = `rooms.${i + 1}`;
    const row = makeElement('div', 'row');
    const input = makeInput(key, value, 'room');
    row.append(makeLabel(key), input, errorPlace(key));
    box.append(row);
    return input;
  });
}

function buildRates(rates) {
  const box = byId('rate-rows');
  box.replaceChildren();
  groups.rates = [];
  rates.forEach((value, i) => {
    const row = makeElement('div', 'row');
    const keyA = `rates.${i + 1}.a`;
    const keyB = `rates.${i + 1}.b`;
    const labelA = makeLabel(keyA);
    labelA.append(makeElement('span', 'unseen', '，第一个值'));
    const labelB = makeLabel(keyB);
    labelB.classList.add('unseen');
    labelB.append(makeElement('span', '', '，第二个值'));
    const a = makeInput(keyA, value.a, 'rate');
    const b = makeInput(keyB, value.b, 'rate');
    row.append(labelA, a, labelB, b, errorPlace(keyA), errorPlace(keyB));
    box.append(row);
    groups.rates.push(a, b);
  });
}

function setNames(names) {
  groups.rooms.forEach((input, i) => labelText(input.labels[0], names.rooms[i], i + 1));
  for (let i = 0; i < groups.rates.length; i += 2) {
    const row = i / 2;
    for (const input of [groups.rates[i], groups.rates[i + 1]])
      labelText(input.labels[0], names.currencies[row], row + 1);
  }
}

// The values of a group in the content's shape, as PATCH /api/content takes them.
const changes = {
  rooms: () => ({ rooms: groups.rooms.map((input) => input.value) }),
  rates: () => {
    const rates = [];
    for (let i = 0; i < groups.rates.length; i += 2)
      rates.push({ a: groups.rates[i].value, b: groups.rates[i + 1].value });
    return { rates };
  },
  weather: () => ({
    weather: {
      text: byId('weather.text').value,
      low: byId('weather.low').value,
      high: byId('weather.high').value,
    },
  }),
};

function draft() {
  return Object.assign(changes.rooms(), changes.rates(), changes.weather());
}

function editedInputs() {
  return groups.rooms.concat(groups.rates, groups.weather);
}

// ---- the preview ------------------------------------------------------------------------------

// One cell: segments a to g and the point, at (x, y); bit i of a code is part i, and a 0 bit
// lights it.
const SEGMENTS = [
  [[4, 2], [16, 2]], // a
  [[18, 4], [18, 16]], // b
  [[18, 20], [18, 32]], // c
  [[4, 34], [16, 34]], // d
  [[2, 20], [2, 32]], // e
  [[2, 4], [2, 16]], // f
  [[4, 18], [16, 18]], // g
];
const CELL_WIDTH = 25;
const CELL_HEIGHT = 36;
const GROUP_GAP = 12;
const ROW_HEIGHT = 46;
const NAME_GAP = 10;
const NAME_EM = 16;

function svgElement(tag, attributes) {
  const element = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes))
    element.setAttribute(name, value);
  return element;
}

// A bar from p to q, 4 wide, with pointed ends.
function barPoints([x1, y1], [x2, y2]) {
  if (y1 === y2)
    return `${x1 - 2},${y1} ${x1},${y1 - 2} ${x2},${y1 - 2} ${x2 + 2},${y1} ${x2},${y1 + 2} ${x1},${y1 + 2}`;
  return `${x1},${y1 - 2} ${x1 + 2},${y1} ${x1 + 2},${y2} ${x1},${y2 + 2} ${x1 - 2},${y2} ${x1 - 2},${y1}`;
}

function makeCell(svg, x, y) {
  const parts = SEGMENTS.map(([p, q]) => svgElement('polygon', { points: barPoints(p, q), class: 'segment' }));
  parts.push(svgElement('circle', { cx: 22, cy: 34, r: 2, class: 'segment' }));
  const cell = svgElement('g', { transform: `translate(${x} ${y})`, class: 'cell' });
  cell.append(...parts);
  svg.append(cell);
  return parts;
}

// Room for the widest name: a Chinese character is as wide as the font is high, others about half.
function nameWidth(names) {
  let widest = 0;
  for (const name of names) {
    let cells = 0;
    for (const c of name)
      cells += c.charCodeAt(0) < 128 ? 1 : 2;
    widest = Math.max(widest, cells);
  }
  return widest ? (widest * NAME_EM) / 2 + NAME_GAP : 0;
}

// Lays out an area's cells in the board's rows, names beside them and, where dashed, a dash
// between a row's groups; keeps the drawn cells when the shape is the same as last time.
function drawArea(svg, area, names, dashed) {
  const shape = JSON.stringify([area.length, area.groups, names]);
  if (svg.dataset.shape !== shape) {
    svg.dataset.shape = shape;
    svg.replaceChildren();
    const rowCells = area.groups.reduce((sum, n) => sum + n, 0) || 1;
    const rows = Math.ceil(area.length / rowCells);
    const left = nameWidth(names);
    const width = left + (area.groups.length - 1) * GROUP_GAP + rowCells * CELL_WIDTH;
    svg.cells = [];
    for (let row = 0; row < rows; ++row) {
      const y = row * ROW_HEIGHT + 4;
      if (names[row]) {
        const text = svgElement('text', { x: 0, y: y + CELL_HEIGHT / 2 + NAME_EM / 2 - 2, class: 'row-name' });
        text.textContent = names[row];
        svg.append(text);
      }
      let x = left;
      let cell = row * rowCells;
      area.groups.forEach((count, g) => {
        if (g > 0) {
          if (dashed)
            svg.append(svgElement('line', { x1: x + 1, y1: y + CELL_HEIGHT / 2, x2: x + GROUP_GAP - 3, y2: y + CELL_HEIGHT / 2, class: 'gap-dash' }));
          x += GROUP_GAP;
        }
        for (let i = 0; i < count && cell < area.length; ++i, ++cell, x += CELL_WIDTH)
          svg.cells.push(makeCell(svg, x, y));
      });
    }
    const height = Math.max(rows, 1) * ROW_HEIGHT;
    svg.setAttribute('viewBox', `0 0 ${width} ${height}`);
    svg.setAttribute('width', width);
    svg.setAttribute('height', height);
  }
  area.cells.forEach((code, i) => {
    svg.cells[i].forEach((part, bit) => part.classList.toggle('on', ((code >> bit) & 1) === 0));
  });
}

const DOT_PITCH = 5;

function drawDots(rows) {
  const svg = byId('preview-dots');
  if (!svg.dots) {
    svg.dots = [];
    const columns = rows[0].length * 4;
    svg.setAttribute('viewBox', `0 0 ${columns * DOT_PITCH} ${rows.length * DOT_PITCH}`);
    svg.setAttribute('width', columns * DOT_PITCH);
    svg.setAttribute('height', rows.length * DOT_PITCH);
    rows.forEach((_, y) => {
      for (let x = 0; x < columns; ++x) {
        const dot = svgElement('rect', { x: x * DOT_PITCH + 0.5, y: y * DOT_PITCH + 0.5, width: 4, height: 4, class: 'dot' });
        svg.append(dot);
        svg.dots.push(dot);
      }
    });
  }
  let i = 0;
  for (const hex of rows) {
    for (let digit = 0; digit < hex.length; ++digit) {
      const nibble = parseInt(hex[digit], 16);
      for (let bit = 3; bit >= 0; --bit, ++i)
        svg.dots[i].classList.toggle('on', ((nibble >> bit) & 1) === 1);
    }
  }
}

function drawWeather(weather) {
  byId('preview-dots').setAttribute('aria-label', `天气文字“${weather.text}”的点阵`);
  byId('matrix').classList.toggle('cut', Boolean(weather.cut));
  byId('matrix').hidden = !weather.dots;
  if (weather.dots)
    drawDots(weather.dots);
  const shown = byId('weather-shown');
  shown.replaceChildren();
  if (weather.cut) {
    shown.append(weather.cut.shown, makeElement('del', '', weather.text.slice(weather.cut.shown.length)));
    byId('weather-cut').textContent = weather.cut.message;
  } else {
    byId('weather-cut').textContent = weather.missing || '';
  }
}

// forDraft: the answer is for what is being typed, so its errors go beside the fields.
function drawPreview(answer, forDraft = true) {
  setNames(answer.names);
  const names = { rooms: answer.names.rooms, rates: answer.names.currencies, temperature: [] };
  for (const name of ['rooms', 'rates', 'temperature']) {
    const area = answer.areas[name];
    const svg = byId('preview-' + name);
    svg.hidden = Boolean(area.problem);
    byId('problem-' + name).textContent = area.problem || '';
    if (!area.problem)
      drawArea(svg, area, names[name], name === 'temperature');
  }
  drawWeather(answer.weather);
  if (forDraft)
    showErrors(answer.errors, editedInputs());
}

// At most one preview request at a time; typing meanwhile asks once more when it is answered.
let previewRunning = false;
const DRAFT_NOTE = '按正在输入的内容显示，还没有发送，也没有保存。';
let previewAgain = false;

async function preview() {
  if (previewRunning) {
    previewAgain = true;
    return;
  }
  previewRunning = true;
  try {
    do {
      previewAgain = false;
      const answer = await api('POST', '/api/preview', draft());
      if (answer.ok) {
        drawPreview(answer.body);
        byId('preview-note').textContent = DRAFT_NOTE;
      }
    } while (previewAgain);
  } finally {
    previewRunning = false;
  }
}

// ---- the line, the clock and the last sends ---------------------------------------------------

// The service's clock as [year, month, day, hour, minute, second] from "2026-12-08T16:26:20",
// kept as a distance from this computer's clock so that it ticks on between status answers.
let clockOffset = null;

function wallClock(iso) {
  const [date, time] = iso.split('T');
  const [year, month, day] = date.split('-').map(Number);
  const [hour, minute, second] = time.split(':').map((part) => parseInt(part, 10));
  return Date.UTC(year, month - 1, day, hour, minute, second);
}

const two = (n) => String(n).padStart(2, '0');

function showClock() {
  if (clockOffset === null)
    return;
  const now = new Date(Date.now() + clockOffset);
  byId('date').textContent = `${now.getUTCFullYear()}年${two(now.getUTCMonth() + 1)}月${two(now.getUTCDate())}日`;
  byId('time').textContent = `${two(now.getUTCHours())}:${two(now.getUTCMinutes())}:${two(now.getUTCSeconds())}`;
}

function captionOf(command) {
  const button = document.querySelector(`button[data-command="${command}"]`);
  return button ? button.textContent : command;
}

function showLastSends(last) {
  const list = byId('last-sends');
  list.replaceChildren();
  if (last.length === 0)
    list.append(makeElement('li', 'note', '还没有发送过。'));
  for (const send of last) {
    const item = makeElement('li', send.ok ? 'ok' : 'failed');
    const time = makeElement('time', '', send.time.replace('T', ' '));
    time.dateTime = send.time;
    const outcome = send.ok ? send.message || '已发送。' : send.message;
    item.append(time, ` ${captionOf(send.command)}，${send.device} 号设备：${outcome}`);
    list.append(item);
  }
}

let deviceShown = false;

// The broker's line, when the service is on one (--mqtt).
function showBroker(mqtt) {
  const place = byId('broker-state');
  place.hidden = !mqtt;
  if (!mqtt)
    return;
  const words = { connected: '已连接', connecting: '正在连接', waiting: '未连接，稍后重试' };
  let text = `MQTT ${mqtt.broker}：${words[mqtt.state] || mqtt.state}（主题 ${mqtt.base}/）。`;
  if (mqtt.problem)
    text += ` ${mqtt.problem}`;
  place.textContent = text;
}

async function refreshStatus() {
  if (byId('board').hidden)
    return;
  const answer = await api('GET', '/api/status');
  if (!answer.ok)
    return;
  const status = answer.body;
  // Shown whenever a password guards the service, also after a reload that kept the session.
  byId('logout').hidden = !status.passwordRequired;
  clockOffset = wallClock(status.now) - Date.now();
  showClock();
  byId('port').textContent = status.port || '（没有选定）';
  const open = status.open || status.throughWindow;
  byId('lamp').classList.toggle('open', open);
  let state = status.throughWindow ? '经窗口程序打开的串口发送。'
    : status.open ? '串口已打开。' : '串口没有打开，发送时会自动打开。';
  if (status.sending)
    state += status.queued ? ` 正在发送，另有 ${status.queued} 项在排队。` : ' 正在发送。';
  byId('line-state').textContent = state;
  showBroker(status.mqtt);
  if (!deviceShown) {
    byId('device').value = status.device;
    deviceShown = true;
  }
  showLastSends(status.last);
  if (status.schedule)
    showPlansNow(status.schedule);
}

// ---- sending ----------------------------------------------------------------------------------

function say(place, text, failed = false) {
  place.textContent = text;
  place.classList.toggle('failed', failed);
}

// The device number as typed: a number when it is one, else the text, which the service refuses
// with its own words.
function deviceChoice() {
  const text = byId('device').value.trim();
  return { device: /^[0-9]+$/.test(text) ? Number(text) : text };
}

async function send(button) {
  const command = button.dataset.command;
  const result = button.nextElementSibling;
  const inputs = groups[command];
  if (inputs) {
    say(result, '正在保存……');
    const saved = await api('PATCH', '/api/content', changes[command]());
    if (saved.status === 422) {
      const count = showErrors(saved.body.errors || {}, inputs);
      say(result, `有 ${count} 项需要改正（见各项旁的说明），这次没有保存，也没有发送。`, true);
      const first = inputs.find((input) => input.getAttribute('aria-invalid') === 'true');
      if (first)
        first.focus();
      return;
    }
    if (!saved.ok) {
      say(result, `没有保存，也没有发送：${messageOf(saved)}`, true);
      return;
    }
    showErrors({}, inputs);
  }
  say(result, '正在发送……');
  const sent = await api('POST', `/api/send/${command}`, deviceChoice());
  const badDevice = sent.body.problem === 'bad-device';
  showError(byId('device'), badDevice ? sent.body.message : '');
  if (sent.ok)
    say(result, sent.body.message || '已发送。');
  else
    say(result, (inputs ? '已保存，但没有发送：' : '没有发送：') + messageOf(sent), true);
  refreshStatus();
}

// ---- plans and their schedule -----------------------------------------------------------------
// The schedule as GET /api/schedule gives it and PUT /api/schedule takes it back whole, with the
// revision it was based on. Plans are edited in the content's groups (an empty field leaves that
// value alone); a rule with one condition is edited on its line, one with more is kept as it is.
// Times are wall-clock times of the schedule's zone, "YYYY-MM-DDTHH:MM", counted here as if they
// were UTC so that no browser zone comes in.

const AREAS = ['rooms', 'rates', 'weather'];
const AREA_NAMES = { rooms: '房价', rates: '牌价', weather: '天气' };
const KINDS = { weekly: '每周', season: '季节', dates: '日期', override: '临时' };
const KIND_HINTS = {
  weekly: ['fri 18:00', 'mon 06:00'],
  season: ['12-20', '01-06'],
  override: ['2026-12-16T18:00', '2026-12-17T12:00'],
};
const DAYS = ['一', '二', '三', '四', '五', '六', '日'];
const DAY_MS = 24 * 60 * 60 * 1000;

let schedule = { revision: 0, plans: {}, rules: [] };
let planShown = null;

function wallMs(text) {
  return Date.UTC(+text.slice(0, 4), +text.slice(5, 7) - 1, +text.slice(8, 10), +text.slice(11, 13) || 0,
    +text.slice(14, 16) || 0);
}

function wallText(ms) {
  const d = new Date(ms);
  return `${d.getUTCFullYear()}-${two(d.getUTCMonth() + 1)}-${two(d.getUTCDate())}T${two(d.getUTCHours())}:${two(d.getUTCMinutes())}`;
}

const shownTime = (iso) => (iso ? iso.slice(0, 16).replace('T', ' ') : '（不再变化）');

// Now on the schedule's wall clock, from the service.
async function nowLocal() {
  const answer = await api('GET', '/api/schedule/at');
  return answer.ok ? answer.body.time.slice(0, 16) : null;
}

function planIndex(name) {
  return Object.keys(schedule.plans).indexOf(name) % 6;
}

function winnerText(winner) {
  return winner ? `计划“${winner.plan}”（规则 ${winner.rule}）` : '没有计划，保持原样';
}

function makeLabelled(id, caption, control) {
  const label = makeElement('label', '', caption);
  label.htmlFor = id;
  control.id = id;
  return [label, control];
}

function makeSelect(options, value) {
  const select = document.createElement('select');
  for (const [key, caption] of options) {
    const option = makeElement('option', '', caption);
    option.value = key;
    select.append(option);
  }
  select.value = value;
  return select;
}

function makeText(value, className, placeholder = '') {
  const input = document.createElement('input');
  input.className = className;
  input.value = value;
  input.autocomplete = 'off';
  input.spellcheck = false;
  input.placeholder = placeholder;
  return input;
}

// ---- the plan in the content's groups ----

// The names of the content's rows, as the groups above show them.
function rowName(input) {
  return input.labels[0].firstChild.textContent;
}

function buildPlanFields() {
  const box = byId('plan-fields');
  box.replaceChildren();
  const choice = byId('plan-choice');
  choice.replaceChildren(...Object.keys(schedule.plans).map((name) => {
    const option = makeElement('option', '', name);
    option.value = name;
    return option;
  }));
  if (planShown === null) {
    box.append(makeElement('p', 'note', '还没有计划：先起个名字，再新建。'));
    return;
  }
  choice.value = planShown;
  const plan = schedule.plans[planShown];
  const group = (caption) => {
    const set = document.createElement('fieldset');
    set.append(makeElement('legend', '', caption));
    box.append(set);
    return set;
  };
  const field = (set, id, caption, value, className) => {
    const row = makeElement('div', 'row');
    const input = makeText(value ?? '', className);
    input.inputMode = className === 'text' ? 'text' : 'decimal';
    row.append(...makeLabelled(id, caption, input));
    set.append(row);
  };
  const rooms = group('房价');
  groups.rooms.forEach((input, i) => field(rooms, `plan.rooms.${i + 1}`, rowName(input), plan.rooms?.[i], 'room'));
  // A rate's two values on one line, as in the group above; the second's label is for screen readers.
  const rates = group('外币兑换');
  for (let i = 0; i < groups.rates.length / 2; ++i) {
    const name = rowName(groups.rates[2 * i]);
    const row = makeElement('div', 'row');
    const [labelA, a] = makeLabelled(`plan.rates.${i + 1}.a`, name, makeText(plan.rates?.[i]?.a ?? '', 'rate'));
    labelA.append(makeElement('span', 'unseen', '，第一个值'));
    const [labelB, b] = makeLabelled(`plan.rates.${i + 1}.b`, `${name}，第二个值`, makeText(plan.rates?.[i]?.b ?? '', 'rate'));
    labelB.className = 'unseen';
    a.inputMode = 'decimal';
    b.inputMode = 'decimal';
    row.append(labelA, a, labelB, b);
    rates.append(row);
  }
  const weather = group('天气预报');
  field(weather, 'plan.weather.text', '今日天气', plan.weather?.text, 'text');
  field(weather, 'plan.weather.low', '最低温度', plan.weather?.low, 'temperature');
  field(weather, 'plan.weather.high', '最高温度', plan.weather?.high, 'temperature');
}

// The shown plan's fields back into the schedule: an empty field is null, trailing nulls go.
function collectPlan() {
  if (planShown === null || !byId('plan.rooms.1'))
    return;
  const value = (id) => byId(id).value.trim() || null;
  const trimmed = (rows) => {
    while (rows.length && rows[rows.length - 1] === null)
      rows.pop();
    return rows;
  };
  const plan = {};
  const rooms = trimmed(groups.rooms.map((_, i) => value(`plan.rooms.${i + 1}`)));
  if (rooms.length)
    plan.rooms = rooms;
  const rates = [];
  for (let i = 0; i < groups.rates.length / 2; ++i) {
    const a = value(`plan.rates.${i + 1}.a`);
    const b = value(`plan.rates.${i + 1}.b`);
    rates.push(a === null && b === null ? null : { a, b });
  }
  if (trimmed(rates).length)
    plan.rates = rates;
  const weather = {};
  for (const key of ['text', 'low', 'high']) {
    const v = value(`plan.weather.${key}`);
    if (v !== null)
      weather[key] = v;
  }
  if (Object.keys(weather).length)
    plan.weather = weather;
  schedule.plans[planShown] = plan;
}

function addPlan() {
  const input = byId('plan-name');
  const name = input.value.trim();
  const problem = !name ? '请先输入计划名。' : schedule.plans[name] ? `已经有叫“${name}”的计划。` : '';
  showError(input, problem);
  if (problem)
    return;
  collectPlan();
  schedule.plans[name] = {};
  planShown = name;
  input.value = '';
  buildPlanFields();
  buildRules();
  byId('plan.rooms.1').focus();
}

// ---- rules, a line each ----

function kindOf(rule) {
  const kinds = Object.keys(KINDS).filter((kind) => rule[kind] !== undefined);
  if (kinds.length !== 1 || (rule.weekly && rule.weekly.length !== 1))
    return null;
  return kinds[0];
}

function conditionText(rule) {
  const parts = [];
  if (rule.weekly)
    parts.push('每周 ' + rule.weekly.map((span) => `${span.from}–${span.to}`).join('、'));
  if (rule.season)
    parts.push(`季节 ${rule.season.from}–${rule.season.to}`);
  if (rule.dates)
    parts.push('日期 ' + rule.dates.join('、'));
  if (rule.override)
    parts.push(`临时 ${rule.override.from}–${rule.override.to}`);
  return parts.join('，且 ');
}

function buildRules() {
  const box = byId('rules');
  box.replaceChildren();
  const plans = Object.keys(schedule.plans).map((name) => [name, name]);
  schedule.rules.forEach((rule, index) => {
    const n = index + 1;
    const row = makeElement('div', 'rule');
    row.dataset.index = index;
    const kind = kindOf(rule);
    const idInput = makeText(rule.id, 'short');
    idInput.dataset.key = `rules.${n}.id`;
    row.append(...makeLabelled(`rule.${n}.id`, `规则 ${n}：`, idInput));
    if (kind === null) {
      row.append(makeElement('span', '', `计划“${rule.plan}”，${conditionText(rule)}（多个条件的规则在页面上只能整条删除）`));
    } else {
      const plan = makeSelect(plans.length ? plans : [[rule.plan, rule.plan]], rule.plan);
      plan.dataset.key = `rules.${n}.plan`;
      row.append(...makeLabelled(`rule.${n}.plan`, '计划', plan));
      const kindSelect = makeSelect(Object.entries(KINDS), kind);
      kindSelect.addEventListener('change', () => {
        collectRules();
        const changed = schedule.rules[index];
        delete changed[kind];
        changed[kindSelect.value] = kindSelect.value === 'weekly' ? [{ from: '', to: '' }]
          : kindSelect.value === 'dates' ? [] : { from: '', to: '' };
        buildRules();
        byId(`rule.${n}.kind`).focus();
      });
      row.append(...makeLabelled(`rule.${n}.kind`, '条件', kindSelect));
      if (kind === 'dates') {
        const dates = makeText(rule.dates.join(', '), 'span', '01-01, 2027-02-06');
        dates.dataset.key = `rules.${n}.dates`;
        row.append(...makeLabelled(`rule.${n}.dates`, '日期', dates));
      } else {
        const span = kind === 'weekly' ? rule.weekly[0] : rule[kind];
        const path = kind === 'weekly' ? `rules.${n}.weekly.1` : `rules.${n}.${kind}`;
        for (const [end, caption, hint] of [['from', '从', KIND_HINTS[kind][0]], ['to', '到', KIND_HINTS[kind][1]]]) {
          const input = makeText(span[end], 'span', hint);
          input.dataset.key = `${path}.${end}`;
          row.append(...makeLabelled(`rule.${n}.${end}`, caption, input));
        }
      }
    }
    const enabled = document.createElement('input');
    enabled.type = 'checkbox';
    enabled.checked = rule.enabled !== false;
    row.append(...makeLabelled(`rule.${n}.enabled`, '启用', enabled));
    const remove = makeElement('button', '', '删除规则');
    remove.type = 'button';
    remove.id = `rule.${n}.remove`;
    remove.addEventListener('click', () => {
      collectRules();
      schedule.rules.splice(index, 1);
      buildRules();
      byId('rule-add').focus();
    });
    row.append(remove);
    box.append(row);
  });
  if (!schedule.rules.length)
    box.append(makeElement('p', 'note', '还没有规则。'));
}

// The rule lines back into the schedule.
function collectRules() {
  for (const row of byId('rules').querySelectorAll('.rule')) {
    const index = Number(row.dataset.index);
    const n = index + 1;
    const rule = schedule.rules[index];
    rule.id = byId(`rule.${n}.id`).value.trim();
    if (byId(`rule.${n}.enabled`).checked)
      delete rule.enabled;
    else
      rule.enabled = false;
    const kind = kindOf(rule);
    if (kind === null)
      continue;
    rule.plan = byId(`rule.${n}.plan`).value;
    if (kind === 'dates') {
      rule.dates = byId(`rule.${n}.dates`).value.split(/[,，\s]+/).filter(Boolean);
    } else {
      const span = { from: byId(`rule.${n}.from`).value.trim(), to: byId(`rule.${n}.to`).value.trim() };
      rule[kind] = kind === 'weekly' ? [span] : span;
    }
  }
}

function addRule() {
  collectRules();
  const plan = planShown ?? Object.keys(schedule.plans)[0] ?? '';
  schedule.rules.push({ id: `rule${schedule.rules.length + 1}`, plan, weekly: [{ from: '', to: '' }] });
  buildRules();
  byId(`rule.${schedule.rules.length}.id`).focus();
}

// ---- storing ----

function showScheduleErrors(errors) {
  const list = byId('schedule-errors');
  list.replaceChildren(...Object.entries(errors).map(([key, message]) => makeElement('li', '', `${key}：${message}`)));
  for (const input of byId('rules').querySelectorAll('[data-key]')) {
    const key = input.dataset.key;
    const own = Object.keys(errors).some((at) => at === key || at.startsWith(key + '.'));
    if (own)
      input.setAttribute('aria-invalid', 'true');
    else
      input.removeAttribute('aria-invalid');
  }
}

// Stores the schedule as edited; true when it was stored.
async function saveSchedule(result) {
  collectPlan();
  collectRules();
  say(result, '正在保存……');
  const answer = await api('PUT', '/api/schedule', schedule);
  if (!answer.ok) {
    showScheduleErrors(answer.body.errors || {});
    say(result, `没有保存：${messageOf(answer)}`, true);
    return false;
  }
  showScheduleErrors({});
  schedule = answer.body;
  if (!(planShown in schedule.plans))
    planShown = Object.keys(schedule.plans)[0] ?? null;
  buildPlanFields();
  buildRules();
  buildOverridePlans();
  say(result, `已保存（第 ${schedule.revision} 版），到时会自动换上并发送。`);
  await Promise.all([showWeek(), showHistory(), refreshStatus()]);
  return true;
}

// ---- "from now until…" in two taps: the plan, then the end ----

function buildOverridePlans() {
  const box = byId('override-plans');
  box.replaceChildren();
  byId('override-until').replaceChildren();
  const names = Object.keys(schedule.plans);
  if (!names.length)
    box.append(makeElement('p', 'note', '有了计划之后，可以在这里从现在起临时改用其中一个。'));
  for (const name of names) {
    const button = makeElement('button', '', `现在改用“${name}”`);
    button.type = 'button';
    button.addEventListener('click', () => chooseUntil(name));
    box.append(button);
  }
}

async function chooseUntil(plan) {
  const now = await nowLocal();
  if (now === null)
    return;
  const today = wallMs(now.slice(0, 10));
  const ends = [
    ['2 小时', wallMs(now) + 2 * 60 * 60 * 1000],
    ['到今晚 24:00', today + DAY_MS],
    ['到明早 06:00', today + DAY_MS + 6 * 60 * 60 * 1000],
    ['到明天 12:00', today + DAY_MS + 12 * 60 * 60 * 1000],
  ];
  const box = byId('override-until');
  box.replaceChildren(makeElement('span', '', `“${plan}”用到：`));
  for (const [caption, end] of ends) {
    const button = makeElement('button', '', caption);
    button.type = 'button';
    button.addEventListener('click', () => startOverride(plan, now, wallText(end)));
    box.append(button);
  }
  box.querySelector('button').focus();
}

async function startOverride(plan, from, to) {
  collectRules();
  schedule.rules.push({ id: `now-${from.replace(/[^0-9]/g, '')}`, plan, override: { from, to } });
  const stored = await saveSchedule(byId('override-result'));
  if (!stored)
    schedule.rules.pop();
  else
    say(byId('override-result'), `从 ${from.replace('T', ' ')} 到 ${to.replace('T', ' ')} 改用“${plan}”。`);
  byId('override-until').replaceChildren();
}

// ---- the week, the moment, what is in force, the history ----

async function showWeek() {
  if (!byId('moment').value) {
    const now = await nowLocal();
    if (now !== null)
      byId('moment').value = now;
  }
  const moment = byId('moment').value.slice(0, 16);
  if (!moment)
    return;
  const day = wallMs(moment.slice(0, 10));
  const monday = day - ((new Date(day).getUTCDay() + 6) % 7) * DAY_MS;
  const from = wallText(monday);
  const answer = await api('GET', `/api/schedule/timeline?from=${from}&to=${wallText(monday + 7 * DAY_MS)}`);
  if (!answer.ok)
    return;
  const box = byId('week');
  box.replaceChildren();
  for (const area of AREAS) {
    const segments = answer.body.areas[area].map((s) => ({ from: s.from.slice(0, 16), to: s.to.slice(0, 16), plan: s.plan }));
    const grid = makeElement('div', 'week-area');
    grid.dataset.area = area;
    grid.append(makeElement('div', 'title', `${AREA_NAMES[area]}（${from.slice(0, 10)} 这一周）`));
    grid.append(makeElement('div', 'hour', ''));
    for (let hour = 0; hour < 24; ++hour)
      grid.append(makeElement('div', 'hour', hour % 6 === 0 ? String(hour) : ''));
    const plansSeen = [];
    DAYS.forEach((dayName, d) => {
      grid.append(makeElement('div', 'hour', `周${dayName}`));
      for (let hour = 0; hour < 24; ++hour) {
        const wall = wallText(monday + d * DAY_MS + hour * 60 * 60 * 1000);
        const segment = segments.find((s) => s.from <= wall && wall < s.to) || {};
        const slot = makeElement('div', 'slot');
        slot.dataset.plan = segment.plan || '';
        if (segment.plan)
          slot.classList.add(`plan-${planIndex(segment.plan)}`);
        if (wall === moment.slice(0, 13) + ':00')
          slot.classList.add('now');
        slot.title = `周${dayName} ${two(hour)}:00 ${segment.plan || '没有计划'}`;
        grid.append(slot);
        if (segment.plan && !plansSeen.includes(segment.plan))
          plansSeen.push(segment.plan);
      }
    });
    grid.setAttribute('role', 'img');
    grid.setAttribute('aria-label', `${AREA_NAMES[area]}这一周的计划：${plansSeen.join('、') || '没有计划'}`);
    box.append(grid);
  }
  byId('week-legend').replaceChildren(...Object.keys(schedule.plans).map((name) => {
    const item = makeElement('li', '');
    item.append(makeElement('span', `swatch plan-${planIndex(name)}`), name);
    return item;
  }));
}

// The board at the picked moment, drawn by the preview above.
async function showMoment() {
  const moment = byId('moment').value.slice(0, 16);
  const result = byId('moment-result');
  if (!moment) {
    say(result, '请先选一个时间。', true);
    return;
  }
  const at = await api('GET', `/api/schedule/at?time=${encodeURIComponent(moment)}`);
  if (!at.ok) {
    say(result, messageOf(at), true);
    return;
  }
  const content = at.body.content;
  const drawn = await api('POST', '/api/preview', { rooms: content.rooms, rates: content.rates, weather: content.weather });
  if (drawn.ok) {
    drawPreview(drawn.body, false);
    byId('preview-note').textContent = `显示 ${moment.replace('T', ' ')} 按计划的内容；在上面输入时回到正在输入的内容。`;
  }
  say(result, AREAS.map((area) => `${AREA_NAMES[area]}：${winnerText(at.body.areas[area])}`).join('；')
    + `。下次变化：${shownTime(at.body.next)}。预览见“显示屏预览”。`);
  await showWeek();
}

function showPlansNow(running) {
  const list = byId('plans-now');
  list.replaceChildren();
  if (running.problem)
    list.append(makeElement('li', 'held', running.problem));
  for (const area of AREAS) {
    const state = running.areas?.[area];
    if (!state)
      continue;
    const item = makeElement('li', '');
    let text = `${AREA_NAMES[area]}：${winnerText(state.plan ? state : null)}，下次变化 ${shownTime(state.next)}。`;
    if (state.hold) {
      text += ` 内容被手工改过，保持到 ${shownTime(state.hold.until)}。`;
      item.classList.add('held');
    }
    if (state.retry) {
      text += ` 发送没有成功（${state.retry.message}），已试 ${state.retry.attempts} 次，${shownTime(state.retry.at)} 再试。`;
      item.classList.add('held');
    }
    item.textContent = text;
    list.append(item);
  }
}

async function showHistory() {
  const answer = await api('GET', '/api/schedule/history');
  if (!answer.ok)
    return;
  const list = byId('schedule-history');
  list.replaceChildren();
  if (!answer.body.entries.length)
    list.append(makeElement('li', 'note', '还没有记录。'));
  for (const entry of answer.body.entries.slice(0, 50)) {
    const item = makeElement('li', entry.outcome === 'failed' ? 'failed' : '');
    const time = makeElement('time', '', shownTime(entry.time));
    time.dateTime = entry.time;
    let text;
    if (entry.kind === 'edit') {
      text = `${entry.who} 保存了第 ${entry.revision} 版。`;
    } else {
      const changed = Object.entries(entry.changed || {}).map(([key, c]) => `${key} ${c.from ?? ''}→${c.to ?? ''}`);
      text = `${AREA_NAMES[entry.area] || entry.area}换上${winnerText(entry)}${changed.length ? '：' + changed.join('，') : ''}；`
        + (entry.outcome === 'sent' ? '已发送。' : `发送没有成功：${entry.message}`);
    }
    item.append(time, ' ', text);
    list.append(item);
  }
}

async function loadSchedule() {
  const answer = await api('GET', '/api/schedule');
  if (!answer.ok) {
    say(byId('schedule-result'), messageOf(answer), true);
    return;
  }
  schedule = answer.body;
  planShown = Object.keys(schedule.plans)[0] ?? null;
  buildPlanFields();
  buildRules();
  buildOverridePlans();
  await Promise.all([showWeek(), showHistory()]);
}

function startPlans() {
  byId('plan-add').addEventListener('click', addPlan);
  byId('plan-choice').addEventListener('change', () => {
    collectPlan();
    planShown = byId('plan-choice').value;
    buildPlanFields();
  });
  byId('rule-add').addEventListener('click', addRule);
  byId('schedule-save').addEventListener('click', () => saveSchedule(byId('schedule-result')));
  byId('show-moment').addEventListener('click', showMoment);
}

// ---- start ------------------------------------------------------------------------------------

async function load() {
  const answer = await api('GET', '/api/content');
  if (!answer.ok) {
    if (answer.status !== 401 && answer.status !== 0)
      byId('connection').textContent = messageOf(answer);
    return;
  }
  const content = answer.body;
  buildRooms(content.rooms);
  buildRates(content.rates);
  groups.weather = ['weather.text', 'weather.low', 'weather.high'].map(byId);
  byId('weather.text').value = content.weather.text;
  byId('weather.low').value = content.weather.low;
  byId('weather.high').value = content.weather.high;
  byId('board').hidden = false;
  await Promise.all([preview(), refreshStatus(), loadSchedule()]);
  if (!started) {
    started = true;
    setInterval(showClock, 1000);
    setInterval(refreshStatus, STATUS_EVERY_MS);
  }
}

function start() {
  byId('login').addEventListener('submit', login);
  byId('logout').addEventListener('click', logout);
  const board = byId('board');
  board.addEventListener('input', (event) => {
    if (event.target.dataset.key && !event.target.closest('.plans'))
      preview();
  });
  startPlans();
  board.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-command]');
    if (button)
      send(button);
  });
  load();
}

start();
