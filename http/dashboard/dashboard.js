// The dashboard: live values pushed by the program as server-sent events (never polled),
// a chart of both channels' power, and links to download the history.
//
// Element ids, which tests/http/dashboard_browser_test.py relies on:
//   status                  connection line, the page's only aria-live region
//   no-data                 why there is no data; hidden while packets arrive
//   volts, last-packet, real-time, port
//   chN-watts, chN-direction, chN-amps, chN-pf, chN-kwh, chN-cost, chN-imported,
//   chN-exported            per channel, N = 1 or 2
//   power-chart             the chart's canvas; its data-range attribute names the range
//                           whose data the chart holds, set once that data has arrived
//   range-1h, range-24h, range-7d, range-30d   range buttons (aria-pressed)
//   chart-note              no Chart.js, no history yet, or a failed request
//   csv-from, csv-to, csv-link, json-link, download-note
'use strict';

const DASH = '—';
const HOUR = 3600;
const NO_CHART_JS = 'The chart needs Chart.js (Debian package libjs-chart.js).';

const $ = (id) => document.getElementById(id);

const fixed = (digits) => new Intl.NumberFormat(undefined,
  {minimumFractionDigits: digits, maximumFractionDigits: digits});
const numbers = {watts: fixed(0), volts: fixed(1), amps: fixed(2), pf: fixed(2), kwh: fixed(3), cost: fixed(2)};
const clock = new Intl.DateTimeFormat(undefined, {timeStyle: 'medium'});
const dateAndClock = new Intl.DateTimeFormat(undefined, {dateStyle: 'medium', timeStyle: 'medium'});

const state = {
  connection: 'connecting', // 'connecting' | 'open' | 'lost'
  noData: '',
  rate: null,
  reading: null,
  portNumber: null,
  portOpen: null,
};

// Writing only what changed keeps screen readers and layout quiet between packets.
function setText(id, text) {
  const element = $(id);
  if (element.textContent !== text) element.textContent = text;
}

function showNumber(id, value, format, unit = '') {
  const known = typeof value === 'number' && Number.isFinite(value);
  setText(id, known ? format.format(value) + unit : DASH);
}

function showTime(id, iso) {
  const date = iso ? new Date(iso) : null;
  if (!date || Number.isNaN(date.getTime())) {
    setText(id, DASH);
    return;
  }
  const today = date.toDateString() === new Date().toDateString();
  setText(id, (today ? clock : dateAndClock).format(date));
  $(id).title = iso;
}

function showNote(id, text) {
  setText(id, text);
  $(id).hidden = text === '';
}

function parseJson(text) {
  try {
    return JSON.parse(text);
  } catch {
    return null;
  }
}

async function getJson(url, signal) {
  const response = await fetch(url, {signal, headers: {Accept: 'application/json'}});
  const body = await response.json().catch(() => null);
  if (!response.ok) throw new Error(body?.error || `HTTP ${response.status}`);
  return body;
}

// ---- live values ----

function showReading(reading) {
  state.reading = reading;
  showNumber('volts', reading.volts, numbers.volts, ' V');
  showTime('last-packet', reading.time);
  for (const n of [1, 2]) {
    const channel = reading[`ch${n}`] || {};
    showNumber(`ch${n}-watts`, channel.watts, numbers.watts, ' W');
    setText(`ch${n}-direction`, {consuming: 'Consuming', generating: 'Generating'}[channel.direction] || DASH);
    showNumber(`ch${n}-amps`, channel.amps, numbers.amps, ' A');
    showNumber(`ch${n}-pf`, channel.power_factor, numbers.pf);
    showNumber(`ch${n}-kwh`, channel.total_kwh, numbers.kwh, ' kWh');
    showNumber(`ch${n}-imported`, channel.imported_kwh, numbers.kwh, ' kWh');
    showNumber(`ch${n}-exported`, channel.exported_kwh, numbers.kwh, ' kWh');
  }
  showCosts();
}

function showCosts() {
  for (const n of [1, 2]) {
    const kwh = state.reading?.[`ch${n}`]?.total_kwh;
    const known = typeof kwh === 'number' && typeof state.rate === 'number';
    showNumber(`ch${n}-cost`, known ? kwh * state.rate : null, numbers.cost);
  }
}

function showPort() {
  if (state.portNumber === null && state.portOpen === null) return;
  const name = state.portNumber === null ? 'COM port' : `COM${state.portNumber}`;
  const open = state.portOpen === null ? '' : state.portOpen ? ', open' : ', closed';
  setText('port', name + open);
}

function showFeed(feed) {
  if (typeof feed.real_time === 'boolean') setText('real-time', feed.real_time ? 'On' : 'Off');
  if (typeof feed.port_open === 'boolean') state.portOpen = feed.port_open;
  showPort();
  state.noData = typeof feed.no_data === 'string' ? feed.no_data : '';
  showNote('no-data', state.noData);
  $('live').classList.toggle('stale', state.noData !== '');
  showConnection();
}

// The status line changes only with the state of things, not with the seconds count
// of the no-data sentence, so that it is announced seldom.
function showConnection() {
  let text;
  if (state.connection === 'connecting') text = 'Connecting to the program…';
  else if (state.connection === 'lost') text = 'Lost the connection to the program; trying again…';
  else if (state.noData) text = 'Connected; no data at the moment.';
  else text = 'Connected: the values follow each packet.';
  setText('status', text);
}

async function loadStatus() {
  try {
    const status = await getJson('/api/v1/status');
    state.rate = typeof status.rate === 'number' ? status.rate : null;
    if (status.port) state.portNumber = status.port.number;
    showFeed({real_time: status.real_time, port_open: status.port?.open, no_data: status.no_data});
    if (!state.reading) showTime('last-packet', status.last_packet);
    showCosts();
    // Before the first packet /readings answers 503, which the browser would log as an
    // error: it is asked only once the status tells of a packet.
    if (status.last_packet && !state.reading) {
      const reading = await getJson('/api/v1/readings');
      if (!state.reading) showReading(reading);
    }
  } catch (error) {
    setText('status', `Could not read the program's status: ${error.message}`);
  }
}

function listen() {
  const events = new EventSource('/api/v1/events');
  let reopened = false;
  events.addEventListener('open', () => {
    // After a break, what changed meanwhile (the rate, the last hour) is read again.
    if (reopened) {
      loadStatus();
      if (chart.range === '1h') loadChart('1h');
    }
    reopened = true;
    state.connection = 'open';
    showConnection();
  });
  events.addEventListener('error', () => {
    state.connection = 'lost';
    showConnection();
    // EventSource retries by itself unless the answer was not an event stream at all.
    if (events.readyState === EventSource.CLOSED) setTimeout(listen, 5000);
  });
  events.addEventListener('reading', (event) => {
    const reading = parseJson(event.data);
    if (!reading) return;
    showReading(reading);
    appendToChart(reading);
  });
  events.addEventListener('feed', (event) => {
    const feed = parseJson(event.data);
    if (feed) showFeed(feed);
  });
}

// ---- chart ----

const chart = {instance: null, range: '1h', abort: null, backlog: null, points: 0, to: 0};

// Ticks fall on round local times, which the linear axis alone would not give.
const tickSteps = {'1h': ['minute', 10], '24h': ['hour', 3], '7d': ['day', 1], '30d': ['day', 5]};
const tickFormats = {
  '1h': new Intl.DateTimeFormat(undefined, {hour: 'numeric', minute: '2-digit'}),
  '24h': new Intl.DateTimeFormat(undefined, {hour: 'numeric', minute: '2-digit'}),
  '7d': new Intl.DateTimeFormat(undefined, {weekday: 'short', day: 'numeric'}),
  '30d': new Intl.DateTimeFormat(undefined, {month: 'short', day: 'numeric'}),
};

function localTicks(min, max) {
  const [unit, every] = tickSteps[chart.range];
  const date = new Date(min * 1000);
  date.setSeconds(0, 0);
  if (unit === 'minute') {
    date.setMinutes(Math.floor(date.getMinutes() / every) * every);
  } else {
    date.setMinutes(0);
    date.setHours(unit === 'hour' ? Math.floor(date.getHours() / every) * every : 0);
  }
  const ticks = [];
  for (let t = date.getTime() / 1000; t <= max && ticks.length < 100; t = date.getTime() / 1000) {
    if (t >= min) ticks.push({value: t});
    if (unit === 'minute') date.setMinutes(date.getMinutes() + every);
    else if (unit === 'hour') date.setHours(date.getHours() + every);
    else date.setDate(date.getDate() + every);
  }
  return ticks;
}

function cssColour(name) {
  return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
}

function applyColours() {
  const instance = chart.instance;
  const text = cssColour('--text');
  const muted = cssColour('--muted');
  const grid = cssColour('--grid');
  ['--ch1', '--ch2'].forEach((name, i) => {
    const dataset = instance.data.datasets[i];
    dataset.borderColor = dataset.backgroundColor = cssColour(name);
  });
  for (const axis of Object.values(instance.options.scales)) {
    axis.ticks.color = muted;
    axis.grid.color = grid;
    if (axis.title) axis.title.color = muted;
  }
  instance.options.plugins.legend.labels.color = text;
  instance.update('none');
}

function makeChart() {
  const dataset = (label) => ({label, data: [], borderWidth: 2, pointRadius: 0, pointHitRadius: 4});
  chart.instance = new window.Chart($('power-chart'), {
    type: 'line',
    data: {datasets: [dataset('Channel 1'), dataset('Channel 2')]},
    options: {
      animation: false,
      responsive: true,
      maintainAspectRatio: false,
      parsing: false,
      normalized: true,
      interaction: {mode: 'nearest', axis: 'x', intersect: false},
      scales: {
        x: {
          type: 'linear',
          afterBuildTicks: (axis) => {
            const ticks = localTicks(axis.min, axis.max);
            if (ticks.length) axis.ticks = ticks;
          },
          ticks: {maxRotation: 0, autoSkipPadding: 16,
            callback: (value) => tickFormats[chart.range].format(new Date(value * 1000))},
          grid: {},
        },
        y: {
          beginAtZero: true,
          title: {display: true, text: 'Watts'},
          ticks: {callback: (value) => numbers.watts.format(value)},
          grid: {},
        },
      },
      plugins: {
        legend: {labels: {}},
        tooltip: {callbacks: {
          title: (items) => items.length ? dateAndClock.format(new Date(items[0].parsed.x * 1000)) : '',
          label: (item) => `${item.dataset.label}: ${numbers.watts.format(item.parsed.y)} W`,
        }},
      },
    },
  });
  applyColours();
  window.matchMedia('(prefers-color-scheme: dark)').addEventListener('change', applyColours);
}

// About one point per pixel of the chart's width.
function pointBudget() {
  return Math.min(2000, Math.max(10, Math.round($('chart-box').clientWidth || 300)));
}

function setWindow(to) {
  const x = chart.instance.options.scales.x;
  chart.to = to;
  x.max = to;
  x.min = to - {'1h': HOUR, '24h': 24 * HOUR, '7d': 7 * 24 * HOUR, '30d': 30 * 24 * HOUR}[chart.range];
}

function showChart(body, backlog) {
  const [one, two] = chart.instance.data.datasets;
  const points = Array.isArray(body.points) ? body.points : [];
  one.data = points.map((p) => ({x: p[0], y: p[1] ?? null}));
  two.data = points.map((p) => ({x: p[0], y: p[2] ?? null}));
  setWindow(typeof body.to === 'number' ? body.to : Date.now() / 1000);
  showNote('chart-note', points.length ? '' : 'No history in this range yet.');
  chart.instance.update('none');
  for (const reading of backlog) appendToChart(reading);
  $('power-chart').dataset.range = chart.range;
}

async function loadChart(range) {
  chart.abort?.abort();
  const abort = new AbortController();
  chart.abort = abort;
  chart.range = range;
  chart.points = pointBudget();
  // Readings that arrive while the last hour is on its way are added to it after.
  const backlog = [];
  chart.backlog = backlog;
  delete $('power-chart').dataset.range;
  try {
    const body = await getJson(`/api/v1/chart?range=${range}&points=${chart.points}`, abort.signal);
    if (abort.signal.aborted) return;
    chart.backlog = null;
    showChart(body, backlog);
  } catch (error) {
    if (error.name === 'AbortError') return;
    chart.backlog = null;
    showNote('chart-note', `Could not load the chart: ${error.message}`);
  }
}

function appendToChart(reading) {
  if (!chart.instance || chart.range !== '1h') return;
  if (chart.backlog) {
    chart.backlog.push(reading);
    return;
  }
  const x = Date.parse(reading.time) / 1000;
  const [one, two] = chart.instance.data.datasets;
  const last = one.data.length ? one.data[one.data.length - 1].x : -Infinity;
  if (!Number.isFinite(x) || x <= last) return;
  one.data.push({x, y: reading.ch1?.watts ?? null});
  two.data.push({x, y: reading.ch2?.watts ?? null});
  setWindow(Math.max(x, chart.to));
  const old = one.data.findIndex((point) => point.x >= chart.to - HOUR);
  if (old > 0) {
    one.data.splice(0, old);
    two.data.splice(0, old);
  }
  showNote('chart-note', '');
  chart.instance.update('none');
}

function chooseRange(range) {
  for (const button of document.querySelectorAll('#chart-ranges button')) {
    button.setAttribute('aria-pressed', String(button.dataset.range === range));
  }
  loadChart(range);
}

function setUpChart() {
  if (typeof window.Chart === 'undefined') {
    $('chart-box').hidden = true;
    $('chart-ranges').hidden = true;
    showNote('chart-note', NO_CHART_JS);
    return;
  }
  makeChart();
  for (const button of document.querySelectorAll('#chart-ranges button')) {
    button.addEventListener('click', () => chooseRange(button.dataset.range));
  }
  // A much wider or narrower chart asks for a matching number of points.
  let resizeTimer = 0;
  new ResizeObserver(() => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => {
      if (Math.abs(pointBudget() - chart.points) > chart.points / 4) loadChart(chart.range);
    }, 500);
  }).observe($('chart-box'));
  loadChart('1h');
}

// ---- history download ----

const pad = (n) => String(n).padStart(2, '0');
const isoDay = (date) => `${date.getFullYear()}-${pad(date.getMonth() + 1)}-${pad(date.getDate())}`;

function parseDay(text) {
  const match = /^(\d{4})-(\d{2})-(\d{2})$/.exec(text);
  return match ? new Date(Number(match[1]), Number(match[2]) - 1, Number(match[3])) : null;
}

// The "to" day is included, so the request ends at the midnight after it.
function updateDownloadLinks() {
  const from = parseDay($('csv-from').value);
  const to = parseDay($('csv-to').value);
  let problem = '';
  if (!from || !to) problem = 'Choose the first and the last day.';
  else if (from > to) problem = 'The first day comes after the last one.';
  for (const [id, format] of [['csv-link', 'csv'], ['json-link', 'json']]) {
    const link = $(id);
    if (problem) {
      link.removeAttribute('href');
    } else {
      const end = new Date(to.getFullYear(), to.getMonth(), to.getDate() + 1);
      link.setAttribute('href', `/api/v1/history?from=${isoDay(from)}&to=${isoDay(end)}&format=${format}`);
    }
  }
  showNote('download-note', problem);
}

function setUpDownload() {
  const today = new Date();
  $('csv-from').value = isoDay(new Date(today.getFullYear(), today.getMonth(), today.getDate() - 6));
  $('csv-to').value = isoDay(today);
  for (const id of ['csv-from', 'csv-to']) {
    $(id).addEventListener('input', updateDownloadLinks);
    $(id).addEventListener('change', updateDownloadLinks);
  }
  $('download-form').addEventListener('submit', (event) => event.preventDefault());
  updateDownloadLinks();
}

setUpDownload();
setUpChart();
loadStatus();
listen();
