// The web page in headless Chromium, driven through the DevTools protocol:
//   node tests/web/browser_test.js WEB_DIR KALVENORIX_EXE
// - Every session script (tests/scripts, the demo session) is replayed in
//   the page's test mode with real pointer events, mouse and touch in turn,
//   on the headless runner's timing; every shot must equal, pixel for pixel,
//   the native runner's shot of the same script.
// - A pen-down followed at once by moves and the pen-up, all delivered in
//   one pump, draws the stroke from the press point.
// - The whole screen shows in a window of any size, pixels square.
// - The kept work comes back after a reload; a damaged copy is set aside. The
//   other checks open the page with ?no-keep: no script sees another's work.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { start } = require('../../web/serve.js');

const kRepo = path.resolve(__dirname, '../..');
const [webDir, exe] = process.argv.slice(2);
if (!webDir || !exe) {
  console.error('usage: node tests/web/browser_test.js WEB_DIR KALVENORIX_EXE');
  process.exit(2);
}
const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';
const kSettleMs = 10;  // an input step's settling time, as the headless runner's

// ---- Scripts ------------------------------------------------------------------

// The script's steps as the headless runner feeds them (headless.h): one
// per down, move and up; a tap is one step; a drag is its down, each move and
// its up; drag move k lands at start + (end - start) * k / steps, truncated.
function parseScript(text) {
  const steps = [];
  let lastX = 0, lastY = 0;
  for (const line of text.split('\n')) {
    const words = line.replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
    if (words.length === 0) continue;
    const [command, ...rest] = words;
    const v = rest.map(Number);
    if (command === 'wait') steps.push({ kind: 'wait', ms: v[0] });
    else if (command === 'shot') steps.push({ kind: 'shot', file: rest[0] });
    else if (command === 'key') steps.push({ kind: 'key', name: rest[0] });
    else if (command === 'expect') steps.push({ kind: 'expect', x: v[0], y: v[1], rgb: rest[2].toUpperCase() });
    else if (command === 'down' || command === 'move' || command === 'tap') {
      steps.push({ kind: command, x: v[0], y: v[1] });
      [lastX, lastY] = v;
    } else if (command === 'up') steps.push({ kind: 'up', x: lastX, y: lastY });
    else if (command === 'drag') {
      const [x1, y1, x2, y2] = v, n = v.length > 4 ? v[4] : 8;
      steps.push({ kind: 'down', x: x1, y: y1 });
      for (let k = 1; k <= n; ++k)
        steps.push({ kind: 'move', x: x1 + Math.trunc((x2 - x1) * k / n),
                     y: y1 + Math.trunc((y2 - y1) * k / n) });
      steps.push({ kind: 'up', x: x2, y: y2 });
      [lastX, lastY] = [x2, y2];
    } else throw new Error('unknown command ' + command);
  }
  return steps;
}

function runNative(scriptText, outDir) {
  const file = path.join(outDir, 'session.script');
  fs.writeFileSync(file, scriptText);
  execFileSync(exe, ['--script', file, '--out', outDir], { stdio: 'pipe' });
}

// ---- The page ---------------------------------------------------------------------

// Pointer actions at screen pixels: the centre of the pixel in page space.
function stylus(page, kind) {
  let box = null;
  const at = async (x, y) => {
    if (box === null)
      box = await page.$eval('#screen', c => { const r = c.getBoundingClientRect();
                                              return { left: r.left, top: r.top, scale: r.width / 240 }; });
    return [box.left + (x + 0.5) * box.scale, box.top + (y + 0.5) * box.scale];
  };
  if (kind === 'mouse') return {
    down: async (x, y) => { await page.mouse.move(...await at(x, y)); await page.mouse.down(); },
    move: async (x, y) => page.mouse.move(...await at(x, y)),
    up: async () => page.mouse.up(),
  };
  return {
    down: async (x, y) => page.touchscreen.touchStart(...await at(x, y)),
    move: async (x, y) => page.touchscreen.touchMove(...await at(x, y)),
    up: async () => page.touchscreen.touchEnd(),
  };
}

// Sends one input step and waits until the page has queued its messages.
async function feed(page, pen, step) {
  const before = await page.evaluate(() => knHost.messagesSent);
  let count = 1;
  if (step.kind === 'down') await pen.down(step.x, step.y);
  if (step.kind === 'move') await pen.move(step.x, step.y);
  if (step.kind === 'up') await pen.up();
  if (step.kind === 'key') {
    // "ctrl+shift+z": the modifiers held around the key, as a person types it.
    const parts = step.name.split('+');
    const names = { ctrl: 'Control', shift: 'Shift' };
    const keys = { space: 'Space', escape: 'Escape', delete: 'Delete', backspace: 'Backspace', f1: 'F1' };
    const last = parts.pop();
    for (const m of parts) await page.keyboard.down(names[m]);
    await page.keyboard.press(keys[last] || (/[0-9]/.test(last) ? 'Digit' + last : 'Key' + last.toUpperCase()));
    for (const m of parts.reverse()) await page.keyboard.up(names[m]);
    count = 2;
  }
  if (step.kind === 'tap') {
    await pen.down(step.x, step.y);
    await pen.up();
    count = 2;
  }
  try {
    await page.waitForFunction(n => knHost.messagesSent >= n, { timeout: 5000 }, before + count);
  } catch {
    throw new Error(`the page did not take "${step.kind} ${step.x} ${step.y}" as stylus input`);
  }
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
      const x = (i / 4) % 240, y = Math.floor(i / 960);
      if (count++ === 0) first = `(${x}, ${y}) is ${got.slice(i, i + 3)}, not ${want.slice(i, i + 3)}`;
    }
    return { count, first };
  }, png);
}

// Keeps the canvas and the expected picture of a failed comparison.
const kFailureDir = path.join(os.tmpdir(), 'kn-web-failures');
async function keepFailure(page, pngFile, name) {
  fs.mkdirSync(kFailureDir, { recursive: true });
  const data = await page.$eval('#screen', c => c.toDataURL('image/png'));
  fs.writeFileSync(path.join(kFailureDir, name + '-web.png'), Buffer.from(data.split(',')[1], 'base64'));
  fs.copyFileSync(pngFile, path.join(kFailureDir, name + '-native.png'));
  return ` (both pictures in ${kFailureDir})`;
}

async function openTestPage(browser, url, kind, query = '?test&no-keep') {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 700, hasTouch: kind === 'touch' });
  await page.goto(url + query);
  await page.evaluate(() => knBlocked());
  return page;
}

// Replays the script's steps on the headless runner's timing; a shot
// compares the canvas with the native shot in shotDir, an expect line one
// pixel with its colour. Both count as shots.
async function replay(page, steps, kind, shotDir) {
  const pen = stylus(page, kind);
  const failures = [];
  let due = await page.evaluate(() => knBlocked());
  let shots = 0;
  for (const step of steps) {
    const clock = await page.evaluate(ms => knRunUntil(ms), due);
    if (step.kind === 'wait') due = clock + step.ms;
    else if (step.kind === 'shot') {
      ++shots;
      const want = path.join(shotDir, step.file);
      const { count, first } = await compareCanvas(page, want);
      if (count > 0)
        failures.push(`${step.file}: ${count} pixels differ, first ${first}` +
                      await keepFailure(page, want, path.basename(step.file, '.png')));
    } else if (step.kind === 'expect') {
      ++shots;
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

// ---- Checks -------------------------------------------------------------------------

const results = [];
function report(name, failures) {
  results.push(failures.length === 0);
  console.log(`${failures.length === 0 ? 'ok  ' : 'FAIL'} ${name}`);
  for (const f of failures) console.log('     ' + f);
}

async function sessionScripts(browser, url, work) {
  const scripts = fs.readdirSync(path.join(kRepo, 'tests/scripts'))
    .filter(f => f.endsWith('.script')).map(f => path.join(kRepo, 'tests/scripts', f));
  scripts.push(path.join(kRepo, 'assets/demo/demo.script'));
  scripts.forEach((file, index) => { scripts[index] = { file, kind: index % 2 ? 'touch' : 'mouse' }; });
  for (const { file, kind } of scripts) {
    const text = fs.readFileSync(file, 'utf8');
    const shotDir = fs.mkdtempSync(path.join(work, 'shots-'));
    runNative(text, shotDir);
    const page = await openTestPage(browser, url, kind);
    const { shots, failures } = await replay(page, parseScript(text), kind, shotDir);
    if (shots === 0) failures.push('the script takes no shot');
    report(`${path.relative(kRepo, file)} (${kind}, ${shots} shots)`, failures);
    await page.close();
  }
}

// The press and two moves reach the page while the program is stopped, so
// one pump holds them all; the stroke must still begin at the press point,
// as the same stroke does when each input comes on its own.
async function pressThenMovesInOnePump(browser, url, work) {
  const shotDir = fs.mkdtempSync(path.join(work, 'shots-'));
  runNative('down 40 200\nmove 120 260\nup\nwait 100\nshot stroke.png\n', shotDir);
  const page = await openTestPage(browser, url, 'mouse');
  const pen = stylus(page, 'mouse');
  let clock = await page.evaluate(() => knBlocked());
  for (const step of parseScript('down 40 200\nmove 80 210\nmove 120 260\n')) await feed(page, pen, step);
  clock = await page.evaluate(ms => knRunUntil(ms), clock + kSettleMs);
  await feed(page, pen, { kind: 'up' });
  await page.evaluate(ms => knRunUntil(ms), clock + kSettleMs + 100);
  const want = path.join(shotDir, 'stroke.png');
  const { count, first } = await compareCanvas(page, want);
  report('a pen-down and moves in one pump start the stroke at the press point', count === 0 ? [] :
         [`${count} pixels differ from the stroke made step by step, first ${first}` +
          await keepFailure(page, want, 'one-pump-stroke')]);
  await page.close();
}

// A drag that leaves the canvas goes on along its edge: the same stroke as
// one drawn to the edge on the native runner.
async function dragPastTheEdge(browser, url, work) {
  const shotDir = fs.mkdtempSync(path.join(work, 'shots-'));
  runNative('down 100 100\nmove 239 150\nmove 239 319\nup\nwait 100\nshot edge.png\n', shotDir);
  const page = await openTestPage(browser, url, 'mouse');
  const steps = parseScript('down 100 100\nmove 300 150\nmove 260 400\nup\nwait 100\nshot edge.png\n');
  const { failures } = await replay(page, steps, 'mouse', shotDir);
  report('a drag that leaves the screen goes on along its edge', failures);
  await page.close();
}

// The canvas fits the viewport whole, with square pixels: a whole factor
// where 2 or more fits, a fraction below that.
async function windowSizes(browser, url) {
  const page = await browser.newPage();
  await page.goto(url + '?no-keep');
  await page.waitForFunction(() => knHost.firstFrameAt > 0);
  const failures = [];
  for (const [width, height, scale] of [[1280, 1000, 3], [800, 700, 2], [390, 844, 1.625],
                                        [200, 150, 0.46875], [60, 60, 0.1875]]) {
    await page.setViewport({ width, height });
    await page.evaluate(() => new Promise(requestAnimationFrame));
    const r = await page.$eval('#screen', c => c.getBoundingClientRect().toJSON());
    const inside = r.left >= 0 && r.top >= 0 && r.right <= width + 0.01 && r.bottom <= height + 0.01;
    if (!inside || Math.abs(r.width - 240 * scale) > 0.01 || Math.abs(r.height - 320 * scale) > 0.01)
      failures.push(`${width} x ${height}: the canvas is ${r.width} x ${r.height} at ` +
                    `(${r.left}, ${r.top}); expected ${240 * scale} x ${320 * scale} inside the window`);
  }
  report('the whole screen shows in windows large and small', failures);
  await page.close();
}

// ---- Keeping the work ------------------------------------------------------------------

// Resolves once the page's copy of its kept folder to IndexedDB is done.
const stored = page => page.waitForFunction(() => !knHost.keep.storing, { timeout: 5000 });
const kDraw = 'tap 210 10\ntap 210 50\ndrag 60 100 120 160 4\nwait 20\nshot drawn.png\n';

// Draws, hides the page (which saves), reloads: the same picture. Then the
// stored copy is damaged and the page reloaded: a fresh start, the refusal
// in the console, and the damaged bytes stored whole beside the workspace.
async function workSurvivesAReload(browser, url, work, freshDir) {
  const shotDir = fs.mkdtempSync(path.join(work, 'shots-'));
  runNative(kDraw, shotDir);
  const page = await openTestPage(browser, url, 'mouse', '?test');
  const said = [];
  page.on('console', m => said.push(m.text()));
  const { failures } = await replay(page, parseScript(kDraw), 'mouse', shotDir);
  await page.evaluate(() => dispatchEvent(new PageTransitionEvent('pagehide')));
  await stored(page);
  const size = await page.evaluate(() => FS.stat('/kept/workspace.knw').size);
  await page.reload();
  failures.push(...(await replay(page, parseScript('wait 20\nshot drawn.png\n'), 'mouse', shotDir)).failures);
  const loadMs = await page.evaluate(() => knHost.keep.loadMs);
  report(`the work comes back after a reload (workspace ${size} bytes, kept folder loaded in ` +
         `${loadMs.toFixed(1)} ms)`, failures);

  // Damaged through the page's own folder; the page then keeps nothing, so
  // that the reload's own save does not write over the damage.
  const damaged = await page.evaluate(() => {
    const bytes = FS.readFile('/kept/workspace.knw');
    bytes[bytes.length >> 1] ^= 0x5A;  // past the header: a section's CRC fails
    FS.writeFile('/kept/workspace.knw', bytes);
    knHost.storeKept();
    knHost.keep.state = 'asked-not';
    return bytes.join();
  });
  await stored(page);
  said.length = 0;
  await page.reload();
  const refused = (await replay(page, parseScript('wait 20\nshot fresh.png\n'), 'mouse', freshDir)).failures;
  if (!said.some(line => /workspace\.knw was refused .*refused-1/.test(line)))
    refused.push('no refusal in the console: ' + JSON.stringify(said));
  await stored(page);
  await page.reload();
  await page.evaluate(() => knBlocked());
  const aside = await page.evaluate(() => FS.analyzePath('/kept/workspace.knw.refused-1').exists &&
                                          FS.readFile('/kept/workspace.knw.refused-1').join());
  if (aside !== damaged) refused.push('the damaged copy is not stored whole as workspace.knw.refused-1');
  report('a damaged stored workspace is refused and set aside; the page starts fresh', refused);
  await page.close();
}

// A browser that refuses IndexedDB: the page runs, keeps nothing, and says
// so once in the console and on the page, whatever saves follow.
async function noStorage(browser, url, freshDir) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => Object.defineProperty(window, 'indexedDB', {
    get() { throw new DOMException('storage is off', 'SecurityError'); } }));
  const said = [];
  page.on('console', m => said.push(m.text()));
  await page.goto(url + '?test');
  const { failures } = await replay(page, parseScript('wait 20\nshot fresh.png\n'), 'mouse', freshDir);
  await page.evaluate(() => dispatchEvent(new PageTransitionEvent('pagehide')));
  const told = said.filter(line => line.includes('stores nothing')).length;
  const note = await page.$eval('#keep-note', p => p.textContent);
  if (told !== 1 || !note.includes('stores nothing'))
    failures.push(`said ${told} times in the console that nothing is kept; the page says "${note}"`);
  report('without IndexedDB the page runs, keeps nothing and says so once', failures);
  await page.close();
}

// ---- Downloads -------------------------------------------------------------------------

// Ctrl+E hands over the drawing as SVG, byte for byte the native export of
// the same drawing; the screen comes as PNG at the scale asked for.
async function downloads(browser, url, work) {
  const shotDir = fs.mkdtempSync(path.join(work, 'shots-'));
  runNative(kDraw + 'export-svg drawn.svg\n', shotDir);
  const page = await openTestPage(browser, url, 'mouse');
  await page.evaluate(() => { knHost.download = (name, blob) => { knHost.got[name.replace(/-\d{8}-\d{6}/, '')] = blob; };
                              knHost.got = {}; });
  const { failures } = await replay(page, parseScript(kDraw + 'key ctrl+e\nwait 20\n'), 'mouse', shotDir);
  await page.evaluate(async () => knRunUntil(await knBlocked() + 20));
  await page.evaluate(() => knHost.downloadScreen(2));
  await page.waitForFunction(() => knHost.got['drawing-00.svg'] && knHost.got['screen.png'], { timeout: 5000 })
    .catch(() => failures.push('the downloads did not come'));
  const svg = await page.evaluate(() => knHost.got['drawing-00.svg']?.text());
  if (svg !== fs.readFileSync(path.join(shotDir, 'drawn.svg'), 'utf8')) failures.push('the SVG differs from the native export');
  const png = await page.evaluate(async () => {
    const bitmap = await createImageBitmap(knHost.got['screen.png']);
    return `${bitmap.width} x ${bitmap.height}`;
  });
  if (png !== '480 x 640') failures.push('the PNG at scale 2 is ' + png);
  await page.close();
  // Out of test mode the link's Ctrl+E is done at once, not at the next input.
  const live = await browser.newPage();
  await live.goto(url + '?no-keep');
  await live.waitForFunction(() => knHost.firstFrameAt > 0);
  await live.evaluate(() => { knHost.download = name => { knHost.got = name; }; });
  await live.click('#download-svg');
  await live.waitForFunction(() => knHost.got, { timeout: 5000 }).catch(() => failures.push('the link gave nothing'));
  report('downloads: the drawing as SVG, as the native export; the screen as PNG', failures);
  await live.close();
}

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kn-web-test-'));
  const server = await start(webDir, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({
    executablePath: kChromium,
    headless: true,
    userDataDir: path.join(work, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    await sessionScripts(browser, url, work);
    await pressThenMovesInOnePump(browser, url, work);
    await dragPastTheEdge(browser, url, work);
    await windowSizes(browser, url);
    const freshDir = fs.mkdtempSync(path.join(work, 'shots-'));
    runNative('wait 20\nshot fresh.png\n', freshDir);
    await workSurvivesAReload(browser, url, work, freshDir);
    await noStorage(browser, url, freshDir);
    await downloads(browser, url, work);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  const passed = results.filter(Boolean).length;
  console.log(`${passed} passed, ${results.length - passed} failed`);
  process.exit(passed === results.length ? 0 : 1);
}

main().catch(function (error) {
  console.error(error);
  process.exit(1);
});
