'use strict';
// Read-only: the only message sent says which charts this page shows.
const CHART_OF_PAGE = { dev: 0, pm: 1, mpx: 2, rf: 3, band: 4 };
let page = 'mpx';
let socket = null;
const urls = [];
const frames = [0, 0, 0, 0, 0];

const $ = (id) => document.getElementById(id);
const text = (id, t) => { const e = $(id); if (e && e.textContent !== t) e.textContent = t; };

function wanted() {
  return page in CHART_OF_PAGE ? 1 << CHART_OF_PAGE[page] : 0;
}

function show(name) {
  page = name;
  for (const b of document.querySelectorAll('#tabs button')) b.classList.toggle('on', b.dataset.page === name);
  for (const s of document.querySelectorAll('.page')) s.classList.toggle('on', s.id === 'page-' + name);
  if (socket && socket.readyState === WebSocket.OPEN) socket.send('show ' + wanted());
}

function live(d) {
  text('freq', d.frequency || '-');
  text('pilot', d.pilot || '-');
  text('rdsdev', d.rds || '-');
  text('third', d.third || '-');
  text('thirdcap', d.thirdCaption || '');
  text('mode', d.mode || '-');
  text('link', d.link || '-');
  $('signal').style.width = (Math.max(0, Math.min(5, d.signal | 0)) * 20) + '%';
  $('top').classList.toggle('stale', !d.current);
}

function rds(d) {
  text('pi', d.pi || '-');
  text('ps', d.ps || '-');
  text('bler10', d.bler10);
  text('bler60', d.bler60);
  text('groups', String(d.groups));
  text('rdslines', d.lines.join('\n'));
}

function band(d) {
  const body = document.querySelector('#stations tbody');
  const rows = d.stations.map((s) => {
    const tr = document.createElement('tr');
    for (const v of s) { const td = document.createElement('td'); td.textContent = v; tr.appendChild(td); }
    return tr;
  });
  body.replaceChildren(...rows);
}

function charts(d) {
  d.forEach((c, i) => {
    const parts = [];
    if (c.caption) parts.push(c.caption);
    if (c.running !== null) parts.push(c.running ? 'running' : 'stopped');
    text('cap-' + i, parts.join(' \u00b7 '));
  });
}

function log(d) {
  text('log', d.lines.join('\n'));
}

const HANDLERS = { live, rds, band, charts, log };

function picture(data) {
  const bytes = new Uint8Array(data);
  const i = bytes[0];
  const img = $('chart-' + i);
  if (!img) return;
  const url = URL.createObjectURL(new Blob([bytes.subarray(1)], { type: 'image/png' }));
  img.src = url;
  if (urls[i]) URL.revokeObjectURL(urls[i]);
  urls[i] = url;
  frames[i] += 1;
  img.dataset.frames = String(frames[i]);
}

function connect() {
  socket = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/ws');
  socket.binaryType = 'arraybuffer';
  socket.onopen = () => { text('conn', 'Live'); socket.send('show ' + wanted()); };
  socket.onmessage = (e) => {
    if (typeof e.data !== 'string') { picture(e.data); return; }
    const m = JSON.parse(e.data);
    if (HANDLERS[m.part]) HANDLERS[m.part](m.data);
  };
  socket.onclose = (e) => {
    text('conn', 'Disconnected' + (e.reason ? ' (' + e.reason + ')' : '') + '; retrying...');
    if (e.reason === 'login needed') { location.replace('/'); return; }
    setTimeout(connect, 3000);
  };
}

for (const b of document.querySelectorAll('#tabs button')) b.addEventListener('click', () => show(b.dataset.page));
connect();
