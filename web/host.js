// The page side of the web backend (src/platform/web.cpp): the canvas and
// its scale, the pointer as the stylus, the waits that an idle peek turns
// into, and the test mode's clock control. Emscripten puts this file ahead
// of its own code, so everything here shares the program's scope.

var knHost = (function () {
  const kScreenW = 240, kScreenH = 320;
  const kPenDown = 513, kPenMove = 512, kPenUp = 514;

  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { alpha: false, willReadFrequently: true });
  const status = document.getElementById('status');
  const host = {
    testMode: new URLSearchParams(location.search).has('test'),
    firstFrameAt: 0,        // performance.now() of the first frame shown
    messagesSent: 0,        // stylus messages handed to the program
    wake: null,             // resumes a waiting peek
    test: { limit: 1000000, clock: -1, resume: null, stopped: [] },
  };

  // ---- Display --------------------------------------------------------------
  let image = null;  // an ImageData over the program's RGBA frame

  host.show = function (address) {
    const bytes = kScreenW * kScreenH * 4;
    // The view is made again only when the program's memory has grown.
    if (image === null || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== address)
      image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, address, bytes), kScreenW, kScreenH);
    context.putImageData(image, 0, 0);
    if (host.firstFrameAt === 0) {
      host.firstFrameAt = performance.now();
      status.textContent = '';
    }
  };

  // The largest whole factor that fits the space, 2 or more; a fraction when
  // not even 2 fits (a phone, a small window), so the whole screen shows.
  function fit() {
    const aside = document.querySelector('aside');
    // The window less its scroll bars.
    const room = document.documentElement;
    const beside = room.clientWidth > room.clientHeight &&
                   room.clientWidth - aside.offsetWidth >= 2 * kScreenW;
    const width = beside ? room.clientWidth - aside.offsetWidth : room.clientWidth;
    const factor = Math.min(width / kScreenW, room.clientHeight / kScreenH);
    const scale = factor >= 2 ? Math.floor(factor) : factor;
    canvas.style.width = kScreenW * scale + 'px';
    canvas.style.height = kScreenH * scale + 'px';
  }
  addEventListener('resize', fit);
  fit();

  // ---- The key list ------------------------------------------------------------
  // One row of the legend's key table, filled by the program at start-up.
  host.addKey = function (keys, does) {
    const row = document.getElementById('keys').insertRow();
    const key = document.createElement('kbd');
    key.textContent = keys;
    row.insertCell().appendChild(key);
    row.insertCell().textContent = does;
  };

  // ---- The stylus -------------------------------------------------------------
  let active = null;  // the pointer that is the stylus while it is down
  let lastX = 0, lastY = 0;

  function send(message, x, y) {
    lastX = x;
    lastY = y;
    _WebStylus(message, x, y);
    ++host.messagesSent;
    if (!host.testMode) resume();
  }

  // Page pixels to screen pixels, clamped to the screen's edge.
  function sendAt(message, e) {
    const r = canvas.getBoundingClientRect();
    const x = Math.floor((e.clientX - r.left) * kScreenW / r.width);
    const y = Math.floor((e.clientY - r.top) * kScreenH / r.height);
    send(message, Math.min(Math.max(x, 0), kScreenW - 1), Math.min(Math.max(y, 0), kScreenH - 1));
  }

  // Lifts a stylus that is down where it last was: the page is losing the
  // input that would have lifted it.
  function lift() {
    if (active === null) return;
    active = null;
    send(kPenUp, lastX, lastY);
  }

  canvas.addEventListener('pointerdown', function (e) {
    e.preventDefault();
    if (active !== null || !e.isPrimary || e.button !== 0) return;
    active = e.pointerId;
    canvas.setPointerCapture(e.pointerId);
    sendAt(kPenDown, e);
  });
  canvas.addEventListener('pointermove', function (e) {
    if (e.pointerId !== active) return;
    e.preventDefault();
    // The browser may merge moves that came between two frames; each one counts.
    const moves = e.getCoalescedEvents ? e.getCoalescedEvents() : [];
    if (moves.length === 0) sendAt(kPenMove, e);
    for (const m of moves) sendAt(kPenMove, m);
  });
  function release(e) {
    if (e.pointerId !== active) return;
    active = null;
    sendAt(kPenUp, e);
  }
  canvas.addEventListener('pointerup', release);
  canvas.addEventListener('pointercancel', release);
  canvas.addEventListener('lostpointercapture', function (e) { if (e.pointerId === active) lift(); });
  canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  // No scrolling or zooming while the stylus is on the screen.
  canvas.addEventListener('touchstart', function (e) { e.preventDefault(); }, { passive: false });
  canvas.addEventListener('touchmove', function (e) { e.preventDefault(); }, { passive: false });

  // ---- Keys -------------------------------------------------------------------
  // Letters and digits as their lower-case codes, and the few named keys the
  // program knows (platform.h); Ctrl, or Cmd on a Mac, and Shift as modifiers.
  const kKeyDown = 256, kKeyUp = 257;
  const kNamedKeys = { ' ': 32, Escape: 27, Delete: 127, Backspace: 8, F1: 0x101 };
  function keyCode(e) {
    if (e.key in kNamedKeys) return kNamedKeys[e.key];
    const k = e.key.length === 1 ? e.key.toLowerCase() : '';
    return /^[a-z0-9]$/.test(k) ? k.charCodeAt(0) : 0;
  }
  function sendKey(message, e) {
    const key = keyCode(e);
    if (key === 0) return;
    e.preventDefault();
    _WebKey(message, key, (e.shiftKey ? 1 : 0) | (e.ctrlKey || e.metaKey ? 2 : 0));
    ++host.messagesSent;
    if (!host.testMode) resume();
  }
  addEventListener('keydown', function (e) { sendKey(kKeyDown, e); });
  addEventListener('keyup', function (e) { sendKey(kKeyUp, e); });

  addEventListener('blur', lift);
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'hidden') leaving();
  });
  addEventListener('pagehide', leaving);

  // ---- Keeping the work -----------------------------------------------------------
  // The workspace lives in a folder that Emscripten's IDBFS copies to and
  // from IndexedDB: filled from the browser's copy before the program reads
  // it, copied back after every save. A page opened with ?no-keep, or in a
  // browser that stores nothing for it, keeps nothing and says so once.
  const params = new URLSearchParams(location.search);
  const keep = host.keep = {
    state: 'loading',  // then 'kept', 'asked-not' or 'unavailable'
    loadMs: 0,         // time to mount and fill the folder at start
    storing: false,    // a copy to IndexedDB is under way
    again: false,      // another save came during it: copy once more after it
    failed: false,     // the last copy failed (its message is out)
  };

  function note(text, linkText, href) {
    const p = document.getElementById('keep-note');
    p.textContent = text + ' ';
    const a = document.createElement('a');
    a.textContent = linkText;
    a.href = href;
    p.appendChild(a);
  }

  // Some browsers refuse IndexedDB only when a database is opened (private
  // windows), others throw when indexedDB is read, and IDBFS does not report
  // every such refusal, so a database is opened here first.
  function probe(name) {
    return new Promise(function (resolve) {
      let request;
      try {
        request = indexedDB.open(name);
      } catch (e) {
        resolve(String(e));
        return;
      }
      request.onsuccess = function () { request.result.close(); resolve(''); };
      request.onerror = function (e) { e.preventDefault(); resolve(String(request.error)); };
      request.onblocked = function () { resolve('the database is blocked'); };
    });
  }

  function fill() {
    return new Promise(function (resolve) {
      FS.syncfs(true, function (error) { resolve(error ? String(error) : ''); });
    });
  }

  host.loadKept = async function (folder) {
    const started = performance.now();
    if (params.has('no-keep')) {
      keep.state = 'asked-not';
      note('This visit started fresh and keeps nothing; the work kept in this browser is left as it was.',
           'Open the kept work', './');
      return 0;
    }
    let why = await probe(folder);
    if (!why) {
      FS.mkdir(folder);
      FS.mount(IDBFS, {}, folder);
      why = await fill();
    }
    keep.loadMs = performance.now() - started;
    if (why) {
      keep.state = 'unavailable';
      console.warn('kalvenorix: this browser stores nothing for the page (' + why +
                   '); the work is not kept when the page closes');
      note('This browser stores nothing for this page (a private window?): the work is lost when ' +
           'the page closes.', 'About keeping work', '#keeping');
      return 0;
    }
    keep.state = 'kept';
    note('The work is kept in this browser and comes back when the page is opened again.',
         'Start fresh (?no-keep)', '?no-keep');
    return 1;
  };

  // Copies the kept folder to IndexedDB, one copy at a time: a save during
  // a copy is copied by one more copy after it.
  host.storeKept = function () {
    if (keep.state !== 'kept') return;
    if (keep.storing) {
      keep.again = true;
      return;
    }
    keep.storing = true;
    FS.syncfs(false, function (error) {
      keep.storing = false;
      if (error && !keep.failed)
        console.error('kalvenorix: the browser did not store the work (' + error +
                      '); it stays on the page and the next save tries again');
      else if (!error && keep.failed)
        console.warn('kalvenorix: the browser stores the work again');
      keep.failed = Boolean(error);
      if (keep.again) {
        keep.again = false;
        host.storeKept();
      }
    });
  };

  // The page is hidden or left: a stylus that is down is lifted and the work
  // is saved, which copies it to the browser.
  function leaving() {
    lift();
    if (keep.state === 'kept') _WebSaveNow();
  }

  // ---- Downloads ----------------------------------------------------------------
  // A file handed to the browser, which saves it where downloads go.
  host.download = function (name, blob) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.click();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 60000);
  };

  // Local time as in the window's export names: 20250102-153000.
  function stamp() {
    const d = new Date(), two = n => String(n).padStart(2, '0');
    return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-` +
           `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
  }

  // A file the program wrote for the page to hand over (drawing-07.svg as
  // drawing-07-20250102-153000.svg); the program's copy is removed.
  host.downloadFile = function (path, type) {
    const bytes = FS.readFile(path);
    FS.unlink(path);
    const name = path.slice(path.lastIndexOf('/') + 1).replace(/(\.[a-z]+)$/, `-${stamp()}$1`);
    host.download(name, new Blob([bytes], { type }));
  };

  // The screen as it shows now (while playing, the frame on it), each screen
  // pixel a square of scale x scale, encoded by the browser.
  host.downloadScreen = function (scale) {
    const big = document.createElement('canvas');
    big.width = kScreenW * scale;
    big.height = kScreenH * scale;
    const bigContext = big.getContext('2d');
    bigContext.imageSmoothingEnabled = false;
    bigContext.drawImage(canvas, 0, 0, big.width, big.height);
    big.toBlob(function (png) { host.download(`screen-${stamp()}.png`, png); }, 'image/png');
  };

  // The link types Ctrl+E for the person: the program exports between two
  // passes of its loop, as it does for the key.
  document.getElementById('download-svg').addEventListener('click', function (e) {
    e.preventDefault();
    for (const message of [kKeyDown, kKeyUp]) _WebKey(message, 'e'.charCodeAt(0), 2);
    host.messagesSent += 2;
    if (!host.testMode) resume();
  });
  document.getElementById('download-png').addEventListener('click', function (e) {
    e.preventDefault();
    host.downloadScreen(Number(document.getElementById('png-scale').value));
  });

  // ---- Waiting ----------------------------------------------------------------
  function resume() {
    const go = host.wake;
    host.wake = null;
    if (go) go();
  }

  // An idle peek: until the next animation frame when the program is timing
  // something, else until the next input.
  host.wait = function (paced) {
    return new Promise(function (resolve) {
      host.wake = resolve;
      if (paced) requestAnimationFrame(resume);
    });
  };

  // ---- Test mode ---------------------------------------------------------------
  const test = host.test;

  host.stopForTest = function (clock) {
    return new Promise(function (resolve) {
      test.clock = clock;
      test.resume = resolve;
      const waiting = test.stopped;
      test.stopped = [];
      for (const w of waiting) w(clock);
    });
  };

  if (host.testMode) {
    // Resolves with the clock once the program has stopped at the limit.
    window.knBlocked = function () {
      return new Promise(function (resolve) {
        if (test.resume !== null) resolve(test.clock);
        else test.stopped.push(resolve);
      });
    };
    // Raises the limit and lets the program run up to it.
    window.knRunUntil = function (ms) {
      return new Promise(function (resolve) {
        test.limit = ms;
        test.stopped.push(resolve);
        const go = test.resume;
        test.resume = null;
        if (go) go();
      });
    };
  }

  window.knHost = host;
  return host;
})();

Module.setStatus = function (text) {
  if (knHost.firstFrameAt === 0 && text) document.getElementById('status').textContent = text;
};
Module.onAbort = function (what) {
  document.getElementById('status').textContent = 'The program stopped: ' + what;
};
