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

function drawPreview(answer) {
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
  showErrors(answer.errors, editedInputs());
}

// At most one preview request at a time; typing meanwhile asks once more when it is answered.
let previewRunning = false;
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
      if (answer.ok)
        drawPreview(answer.body);
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
  await Promise.all([preview(), refreshStatus()]);
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
    if (event.target.dataset.key)
      preview();
  });
  board.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-command]');
    if (button)
      send(button);
  });
  load();
}

start();
