// The web page in headless Chromium, driven through the DevTools protocol:
//   node tests/web/browser_test.js WEB_DIR KALVENORIX_EXE
// Every session script, replayed in the page's test mode with real pointer
// events (mouse and touch in turn) on the headless runner's timing, must shoot
// what the native runner shoots, and the same screen at its end; then input
// edge cases, window sizes, keeping the work (only those checks keep it) and
// downloads.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { start } = require('../../web/serve.js');

const kRepo = path.resolve(__dirname, '../..');
const [webDir, exe] = process.argv.slice(2);
if (!exe) throw new Error('usage: node tests/web/browser_test.js WEB_DIR KALVENORIX_EXE');
const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';
const kSettleMs = 10;  // an input step's settling time, as the headless runner's

// The script's steps as the headless runner feeds them (headless.h): one
// per down, move and up; a tap is one step; a drag is its down, each move and
// its up; drag move k lands at start + (end - start) * k / steps, truncated.
function parseScript(text) {
  const steps = [];
  for (const line of text.split('\n')) {
    const [command, ...rest] = line.replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
    const [x, y, x2, y2, n = 8] = rest.map(Number);
    if (command === undefined) continue;
    else if (command === 'wait') steps.push({ kind: 'wait', ms: x });
    else if (command === 'shot') steps.push({ kind: 'shot', file: rest[0] });
    else if (command === 'key') steps.push({ kind: 'key', name: rest[0] });
    else if (command === 'expect') steps.push({ kind: 'expect', x, y, rgb: rest[2].toUpperCase() });
    else if (['down', 'move', 'tap', 'up'].includes(command)) steps.push({ kind: command, x, y });
    else if (command === 'drag') {
      steps.push({ kind: 'down', x, y });
      for (let k = 1; k <= n; ++k)
        steps.push({ kind: 'move', x: x + Math.trunc((x2 - x) * k / n), y: y + Math.trunc((y2 - y) * k / n) });
      steps.push({ kind: 'up' });
    } else throw new Error('unknown command ' + command);
  }
  return steps;
}

// Runs the script on the native runner; the folder of its shots.
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kn-web-test-'));
function nativeShots(scriptText) {
  const outDir = fs.mkdtempSync(path.join(work, 'shots-')), file = path.join(outDir, 'session.script');
  fs.writeFileSync(file, scriptText);
  execFileSync(exe, ['--script', file, '--out', outDir], { stdio: 'pipe' });
  return outDir;
}

// Pointer actions at screen pixels: the centre of the pixel in page space.
function stylus(page, kind) {
  let box = null;
  const at = async (x, y) => {
    box ??= await page.$eval('#screen', c => c.getBoundingClientRect().toJSON());
    return [box.left + (x + 0.5) * box.width / 240, box.top + (y + 0.5) * box.width / 240];
  };
  const [mouse, touch] = [page.mouse, page.touchscreen];
  return kind === 'mouse'
    ? { down: async (x, y) => { await mouse.move(...await at(x, y)); await mouse.down(); },
        move: async (x, y) => mouse.move(...await at(x, y)), up: async () => mouse.up() }
    : { down: async (x, y) => touch.touchStart(...await at(x, y)), move: async (x, y) => touch.touchMove(...await at(x, y)),
        up: async () => touch.touchEnd() };
}

// Sends one input step and waits until the page has queued its messages.
async function feed(page, pen, step) {
  const before = await page.evaluate(() => knHost.messagesSent);
  if (step.kind === 'down' || step.kind === 'tap') await pen.down(step.x, step.y);
  if (step.kind === 'move') await pen.move(step.x, step.y);
  if (step.kind === 'up' || step.kind === 'tap') await pen.up();
  if (step.kind === 'key') {
    // "ctrl+shift+z": the modifiers held around the key, as a person types it.
    const parts = step.name.split('+'), last = parts.pop(), names = { ctrl: 'Control', shift: 'Shift' };
    const keys = { space: 'Space', escape: 'Escape', delete: 'Delete', backspace: 'Backspace', f1: 'F1' };
    for (const m of parts) await page.keyboard.down(names[m]);
    await page.keyboard.press(keys[last] || (/[0-9]/.test(last) ? 'Digit' + last : 'Key' + last.toUpperCase()));
    for (const m of parts.reverse()) await page.keyboard.up(names[m]);
  }
  const count = step.kind === 'key' || step.kind === 'tap' ? 2 : 1;
  await page.waitForFunction(n => knHost.messagesSent >= n, { timeout: 5000 }, before + count).catch(() => {
    throw new Error(`the page did not take "${step.kind} ${step.x} ${step.y}" as stylus input`);
  });
}

// Compares the canvas with a PNG (decoded by the browser); the number of
// differing pixels and the first of them.
async function compareCanvas(page, pngFile) {
  const png = fs.readFileSync(pngFile).toString('base64');
  return page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), c => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }),
                                           { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const scratch = new OffscreenCanvas(240, 320).getContext('2d');
    scratch.drawImage(bitmap, 0, 0);
    const want = scratch.getImageData(0, 0, 240, 320).data;
    const got = document.getElementById('screen').getContext('2d').getImageData(0, 0, 240, 320).data;
    let count = 0, first = '';
    for (let i = 0; i < want.length; i += 4) {
      if (got[i] === want[i] && got[i + 1] === want[i + 1] && got[i + 2] === want[i + 2]) continue;
      if (count++ === 0) first = `(${(i / 4) % 240}, ${Math.floor(i / 960)}) is ${got.slice(i, i + 3)}, not ${want.slice(i, i + 3)}`;
    }
    return { count, first };
  }, png);
}

async function openTestPage(browser, url, kind, query = '?test&no-keep', prepare = async () => {}) {
  const page = await browser.newPage();
  await prepare(page);
  await page.setViewport({ width: 800, height: 700, hasTouch: kind === 'touch' });
  await page.goto(url + query);
  if (query.includes('test')) await page.evaluate(() => knBlocked());
  else await page.waitForFunction(() => knHost.firstFrameAt > 0);
  return page;
}

// Replays the script's steps on the headless runner's timing; a shot
// compares the canvas with the native shot in shotDir, an expect line one
// pixel with its colour. Both count as shots.
async function replay(page, steps, kind, shotDir) {
  const pen = stylus(page, kind);
  const failures = [];
  let due = await page.evaluate(() => knBlocked()), shots = 0;
  for (const step of steps) {
    const clock = await page.evaluate(ms => knRunUntil(ms), due);
    if (step.kind === 'wait') due = clock + step.ms;
    else if (step.kind === 'shot' && ++shots) {
      const { count, first } = await compareCanvas(page, path.join(shotDir, step.file));
      if (count > 0) failures.push(`${step.file}: ${count} pixels differ, first ${first}`);
    } else if (step.kind === 'expect' && ++shots) {
      const shown = await page.evaluate(({ x, y }) => {
        const [r, g, b] = document.getElementById('screen').getContext('2d').getImageData(x, y, 1, 1).data;
        return [r, g, b].map(c => c.toString(16).padStart(2, '0')).join('').toUpperCase();
      }, step);
      if (shown !== step.rgb) failures.push(`expected ${step.rgb} at (${step.x}, ${step.y}), the page shows ${shown}`);
    } else {
      const message = await feed(page, pen, step).then(() => '', error => error.message);
      if (message) return { shots, failures: failures.concat(message) };
      due = clock + kSettleMs;
    }
  }
  return { shots, failures };
}

const results = [];
function report(name, failures) {
  results.push(failures.length === 0);
  console.log(`${failures.length === 0 ? 'ok  ' : 'FAIL'} ${name}`);
  for (const f of failures) console.log('     ' + f);
}

async function sessionScripts(browser, url) {
  const scripts = fs.readdirSync(path.join(kRepo, 'tests/scripts')).filter(f => f.endsWith('.script'))
    .map(f => path.join(kRepo, 'tests/scripts', f)).concat(path.join(kRepo, 'assets/demo/demo.script'));
  for (const [index, file] of scripts.entries()) {
    const kind = index % 2 ? 'touch' : 'mouse';
    const text = fs.readFileSync(file, 'utf8') + '\nshot end.png\n';  // and the whole screen at its end
    const page = await openTestPage(browser, url, kind);
    const { shots, failures } = await replay(page, parseScript(text), kind, nativeShots(text));
    report(`${path.relative(kRepo, file)} (${kind}, ${shots} shots)`, failures);
    await page.close();
  }
}

// The press and two moves reach the page while the program is stopped, so
// one pump holds them all; the stroke must still begin at the press point,
// as the same stroke does when each input comes on its own. A drag that
// leaves the canvas goes on along its edge, as one drawn to the edge.
async function inputEdgeCases(browser, url) {
  for (const [name, native, queued, replayed] of [
    ['a pen-down and moves in one pump start the stroke at the press point',
     'down 40 200\nmove 120 260\nup\nwait 100\nshot s.png\n', 'down 40 200\nmove 80 210\nmove 120 260\n',
     'wait 10\nup\nwait 100\nshot s.png\n'],
    ['a drag that leaves the screen goes on along its edge',
     'down 100 100\nmove 239 150\nmove 239 319\nup\nwait 100\nshot s.png\n', '',
     'down 100 100\nmove 300 150\nmove 260 400\nup\nwait 100\nshot s.png\n']]) {
    const shotDir = nativeShots(native);
    const page = await openTestPage(browser, url, 'mouse');
    const pen = stylus(page, 'mouse');
    for (const step of parseScript(queued)) await feed(page, pen, step);
    report(name, (await replay(page, parseScript(replayed), 'mouse', shotDir)).failures);
    await page.close();
  }
}

// A browser that refuses IndexedDB, out of test mode: the page runs, keeps
// nothing and says so once in the console and on the page, whatever saves
// follow, and the link's Ctrl+E is done at once, not at the next input. The
// canvas fits the viewport whole, with square pixels: a whole factor where 2
// or more fits, a fraction below that.
async function livePage(browser, url) {
  const said = [], failures = [];
  const page = await openTestPage(browser, url, 'mouse', '', async p => {
    p.on('console', m => said.push(m.text()));
    await p.evaluateOnNewDocument(() => Object.defineProperty(window, 'indexedDB', {
      get() { throw new DOMException('storage is off', 'SecurityError'); } }));
  });
  await page.evaluate(() => { knHost.download = name => { knHost.got = name; }; });
  await page.click('#download-svg');
  await page.waitForFunction(() => knHost.got, { timeout: 5000 }).catch(() => failures.push('the link gave nothing'));
  await page.evaluate(() => dispatchEvent(new PageTransitionEvent('pagehide')));
  const told = said.filter(line => line.includes('stores nothing')).length;
  const note = await page.$eval('#keep-note', p => p.textContent);
  if (told !== 1 || !note.includes('stores nothing'))
    failures.push(`said ${told} times in the console that nothing is kept; the page says "${note}"`);
  report('without IndexedDB the page runs, keeps nothing and says so once; its link downloads at once', failures.splice(0));
  for (const [width, height, scale] of [[1280, 1000, 3], [800, 700, 2], [390, 844, 1.625],
                                        [200, 150, 0.46875], [60, 60, 0.1875]]) {
    await page.setViewport({ width, height });
    await page.evaluate(() => new Promise(requestAnimationFrame));
    const r = await page.$eval('#screen', c => c.getBoundingClientRect().toJSON());
    const inside = r.left >= 0 && r.top >= 0 && r.right <= width + 0.01 && r.bottom <= height + 0.01;
    if (!inside || Math.abs(r.width - 240 * scale) > 0.01 || Math.abs(r.height - 320 * scale) > 0.01)
      failures.push(`${width} x ${height}: the canvas is ${r.width} x ${r.height} at (${r.left}, ${r.top})`);
  }
  report('the whole screen shows in windows large and small', failures);
  await page.close();
}

// Resolves once the page's copy of its kept folder to IndexedDB is done.
const stored = page => page.waitForFunction(() => !knHost.keep.storing, { timeout: 5000 });
const kDraw = 'tap 210 10\ntap 210 50\ndrag 60 100 120 160 4\nwait 20\nshot drawn.png\n';

// Draws, hides the page (which saves), reloads: the same picture. Ctrl+E then
// hands over the drawing as SVG, byte for byte the native export of the same
// drawing; the screen comes as PNG at the scale asked for. Then the stored
// copy is damaged and the page reloaded: the program's refusal reaches the
// console (setting aside and starting fresh are checked natively).
async function workSurvivesAReloadAndDownloads(browser, url) {
  const shotDir = nativeShots(kDraw + 'export-svg drawn.svg\n');
  const page = await openTestPage(browser, url, 'mouse', '?test');
  const said = [];
  page.on('console', m => said.push(m.text()));
  const { failures } = await replay(page, parseScript(kDraw), 'mouse', shotDir);
  await page.evaluate(() => dispatchEvent(new PageTransitionEvent('pagehide')));
  await stored(page);
  await page.reload();
  failures.push(...(await replay(page, parseScript('wait 20\nshot drawn.png\n'), 'mouse', shotDir)).failures);
  if (failures.length) failures.push('kept: ' + JSON.stringify(await page.evaluate(() => knHost.keep)) + ', said ' + JSON.stringify(said));
  await page.evaluate(() => { knHost.download = (name, blob) => { knHost.got[name.replace(/-\d{8}-\d{6}/, '')] = blob; };
                              knHost.got = {}; });
  failures.push(...(await replay(page, parseScript('key ctrl+e\nwait 20\n'), 'mouse', shotDir)).failures);
  await page.evaluate(async () => { await knRunUntil(await knBlocked() + 20); knHost.downloadScreen(2); });
  await page.waitForFunction(() => knHost.got['drawing-00.svg'] && knHost.got['screen.png'], { timeout: 5000 })
    .catch(() => failures.push('the downloads did not come'));
  const svg = await page.evaluate(() => knHost.got['drawing-00.svg']?.text());
  if (svg !== fs.readFileSync(path.join(shotDir, 'drawn.svg'), 'utf8')) failures.push('the SVG differs from the native export');
  const png = await page.evaluate(() => createImageBitmap(knHost.got['screen.png']).then(b => `${b.width} x ${b.height}`));
  if (png !== '480 x 640') failures.push('the PNG at scale 2 is ' + png);
  report('the work comes back after a reload; the downloads are the native export and the screen', failures);

  // Damaged through the page's own folder; the page then keeps nothing, so
  // that the reload's own save does not write over the damage.
  await page.evaluate(() => {
    const bytes = FS.readFile('/kept/workspace.knw');
    bytes[bytes.length >> 1] ^= 0x5A;  // past the header: a section's CRC fails
    FS.writeFile('/kept/workspace.knw', bytes);
    knHost.storeKept();
    knHost.keep.state = 'asked-not';
  });
  await stored(page);
  said.length = 0;
  await page.reload();
  await page.evaluate(() => knBlocked());
  const refused = said.some(line => /workspace\.knw was refused .*starting fresh.*refused-1/.test(line));
  report('a damaged stored workspace is refused and set aside', refused ? [] : ['no refusal in the console: ' + JSON.stringify(said)]);
  await page.close();
}

async function main() {
  const server = await start(webDir, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({ executablePath: kChromium, headless: true, userDataDir: path.join(work, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'] });
  try {
    await sessionScripts(browser, url);
    await inputEdgeCases(browser, url);
    await livePage(browser, url);
    await workSurvivesAReloadAndDownloads(browser, url);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  const passed = results.filter(Boolean).length;
  console.log(`${passed} passed, ${results.length - passed} failed`);
  process.exit(passed === results.length ? 0 : 1);
}

main().catch(error => { console.error(error); process.exit(1); });
