// The page around the program: the start screen (audio delay, reduced
// flashing, Play), the link into the show (#t=), capture mode (?from=&to=&fps=),
// the program's Module (its calls into the page) and, once the start
// screen is complete, the program itself. The site's scripts are plain
// deferred ones sharing the page's names, in this order: page.js (this),
// loader.js (the show's files), keep_offline.js, controls.js.
'use strict';
const stage = document.getElementById('stage');
const panel = document.getElementById('panel');
const statusLine = document.getElementById('status');
const progress = document.getElementById('progress');
const startButton = document.getElementById('start');
const retryButton = document.getElementById('retry');
const hint = document.getElementById('hint');
const poster = document.getElementById('poster');
const warning = document.getElementById('warning');
const reduceFlashing = document.getElementById('reduce-flashing');
// The audio delay, kept in this browser.
const audioDelay = document.getElementById('audio-delay');
const keepAudioDelay = (ms) => {
  audioDelay.value = String(ms);
  try { localStorage.setItem('sava-audio-delay', String(ms)); } catch (e) {}
};
try { audioDelay.value = String(Number(localStorage.getItem('sava-audio-delay')) || 0); } catch (e) {}
audioDelay.onchange = () => {
  const ms = Math.max(-1000, Math.min(1000, Math.round(Number(audioDelay.value) || 0)));
  keepAudioDelay(ms);
  if (Module._sava_web_set_audio_delay) Module._sava_web_set_audio_delay(ms);
};
// Viewers who ask their browser for less motion get reduced flashing.
reduceFlashing.checked = window.matchMedia('(prefers-reduced-motion: reduce)').matches;

// Capture mode: ?from=MS&to=MS&fps=N[/D] renders exactly those frames on a
// virtual clock, without sound, and publishes one SHA-256 per frame;
// reduce-flashing=1 renders them with reduced flashing.
const query = new URLSearchParams(location.search);
const captureArguments = [];
for (const name of ['from', 'to', 'fps']) {
  if (query.has(name)) captureArguments.push('--' + name, query.get(name));
}
const capturing = captureArguments.length > 0;
if (capturing && query.get('reduce-flashing') === '1') captureArguments.push('--reduce-flashing');
window.savaDone = false;
window.savaFrames = null;
window.savaError = null;
// Set once the first seconds of the sound and the first scene are here and Play starts the
// show at once.
window.savaReady = false;
// Play pressed before that: the show starts as soon as it can.
let playQueued = false;

// A link into the show, #t=M:SS.mmm (seconds below 60) or #t=MS
// (milliseconds): the show starts there. Anything else, or a time past the
// end (known once the show's list is here), is the start.
function linkedStart() {
  const m = /^#t=(?:(\d{1,3}):(\d{1,2}(?:\.\d{1,3})?)|(\d{1,6}))$/.exec(location.hash);
  if (!m || (m[2] !== undefined && Number(m[2]) >= 60)) return 0;
  const ms = m[3] !== undefined ? Number(m[3]) : Math.round((Number(m[1]) * 60 + Number(m[2])) * 1000);
  return window.savaShowList && ms >= savaShowList.length_ms ? 0 : ms;
}
let startMs = linkedStart();
let showCaption = '“Sävä”';
// Started once: the start time is the show's from then on.
let started = false;
const showTime = (ms) => `${Math.floor(ms / 60000)}:${String(Math.floor(ms / 1000) % 60).padStart(2, '0')}` +
                         (ms % 1000 ? '.' + String(ms % 1000).padStart(3, '0').replace(/0+$/, '') : '');
const playLabel = (name) => ['▶ Play', name, startMs ? 'from ' + showTime(startMs) : ''].filter(Boolean).join(' ');
window.savaShowTime = showTime;
// The Play button names the start time, until it is pressed.
function showStartTime() {
  if (!started && !playQueued && !capturing) startButton.textContent = playLabel(showCaption);
}
// A link pasted into the open page before Play moves the start: its files
// come first, and Play waits for them.
window.addEventListener('hashchange', () => {
  if (started || capturing) return;
  const ms = linkedStart();
  if (ms === startMs) return;
  startMs = ms;
  showStartTime();
  loadFrom(startMs);
  if (window.savaReady && (!window.savaReadyScenes[sceneAt(startMs)] || !soundReadyAt(startMs))) window.savaReady = false;
  checkReady();
});

function say(text) {
  statusLine.textContent = text;
}
// A failure ends the page's work with its reason (the first one, where
// one leads to others); one that trying again may cure (a download) comes
// with a button that does `retry`.
function fail(text, retry = null) {
  if (window.savaError !== null) return;
  window.savaError = text;
  statusLine.classList.add('error');
  statusLine.textContent = text;
  progress.hidden = true;
  startButton.hidden = true;
  warning.hidden = true;
  retryButton.hidden = !retry;
  retryButton.onclick = retry;
  panel.hidden = false;
}

const errorLines = [];
const frameDigests = [];    // capture mode: a promise of each frame's digest
var Module = {
  // The program's files by the site's version (written in by the build),
  // so that they can be cached for good.
  locateFile: (path) => path + '?v=@SITE_VERSION@',
  arguments: captureArguments,
  canvas: document.getElementById('canvas'),
  print: (text) => console.log(text),
  printErr: (text) => {
    console.error(text);
    errorLines.push(text);
  },
  onProgramStarted: () => {
    programStarted = true;
    listPictures();
  },
  onPicturesListed: (caption) => {
    showCaption = '“' + caption + '”';
    showStartTime();
    listed = true;
    // The files that came before the list go in in a task of their own (this
    // is called from within an animation frame).
    setTimeout(() => {
      for (const [entry, data] of arrivedEarly) arrive(entry, data);
      arrivedEarly.length = 0;
      checkReady();
    }, 0);
  },
  onPictureDecoded: (index, done, total) => {
    decoded[index] = true;
    if (capturing) {
      progress.value = done / total;
      say(`Preparing the pictures: ${done} of ${total}`);
    }
    updateReadyScenes();
  },
  onAudioDelay: (ms) => keepAudioDelay(ms),
  // Every move of the show (a start, a seek, a key, a loop): its files
  // are fetched in show order from there.
  onMoved: (ms) => {
    loadFrom(ms);
    if (window.savaMoved) window.savaMoved(ms);
  },
  onWaiting: (on, at) => {
    waitingNote.hidden = !on;
    if (!on) return;
    window.savaWaits.push(at);
    loadFrom(at);
  },
  // The show reached its end (`finished`: Play again starts it over), or
  // was ended by the viewer (Play again loads the page again).
  onShowEnded: (finished) => {
    stage.classList.remove('playing');
    waitingNote.hidden = true;
    if (document.fullscreenElement) document.exitFullscreen();
    say('The show has ended.');
    startButton.textContent = 'Play again';
    startButton.onclick = finished ? () => {
      if (Module._sava_web_play_again()) showPlaying();
    } : () => location.reload();
    startButton.hidden = false;
    poster.hidden = false;
    hint.hidden = true;
    warning.hidden = true;
    panel.hidden = false;
  },
  // Capture mode: each frame's SHA-256 by the browser's own digest, one
  // lowercase hex line per frame, in frame order.
  onCaptureFrame: (bytes) => {
    if (!crypto.subtle) fail('Capture mode needs the browser\'s digest (a secure page: https or localhost).');
    else frameDigests.push(crypto.subtle.digest('SHA-256', bytes));
  },
  onCaptureDone: async () => {
    const hex = (digest) => Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
    window.savaFrames = (await Promise.all(frameDigests)).map((d) => hex(d) + '\n').join('');
    window.savaDone = true;
    panel.hidden = true;
  },
  // Every exit of the program goes through here (a failure prints its one
  // line first).
  quit: (code, toThrow) => {
    if (code !== 0) fail(errorLines.join('\n') || 'The show stopped (status ' + code + ').');
    throw toThrow;
  },
  onAbort: (what) => fail(errorLines.join('\n') || 'The show stopped: ' + what),
};


// Starting is the viewer's gesture, which is what lets the page play sound
// (also a little later: the page keeps the permission once given).
function play() {
  Module._sava_web_set_audio_delay(Number(audioDelay.value) || 0);
  // The stage first: the start draws the first frame (and a show that
  // ends at once shows its end screen over it). Play is pressed only once
  // the show can start, so a start refused is one already made.
  showPlaying();
  // The sound was made ready at the start time of its arrival; a link
  // pasted since then moves the show there.
  if (Module._sava_web_start(reduceFlashing.checked ? 1 : 0, startMs !== primedMs ? startMs : -1)) started = true;
}
function showPlaying() {
  panel.hidden = true;
  poster.hidden = true;
  stage.classList.add('playing');
}
startButton.textContent = playLabel('“Sävä”');
startButton.onclick = () => {
  if (window.savaReady) return play();
  playQueued = true;
  startButton.textContent = '▶ Starting when loaded…';
  // The loader's script may not have run yet.
  if (typeof showLoading === 'function') showLoading();
};

document.getElementById('fullscreen').onclick = () => {
  if (document.fullscreenElement) document.exitFullscreen();
  else stage.requestFullscreen().catch(() => {});
};

// For tests and the curious: what the player reports about itself.
window.savaStatus = () => programStarted ? JSON.parse(Module.UTF8ToString(Module._sava_web_status()))
  : { phase: 'starting', time_ms: 0, now_ms: 0, paused: false, anchored: false, waiting: false, decoded: 0 };
// How long each animation frame keeps the page busy, whole: the program's
// frame and every other callback the page runs in that frame (told apart
// by the frame's time stamp), in ms: { count, median, p99, worst }.
const frameWork = [];
{
  const request = window.requestAnimationFrame.bind(window);
  let stamp = -1, work = 0;
  window.requestAnimationFrame = (callback) => request((time) => {
    if (time !== stamp) {
      if (stamp >= 0) frameWork.push(work);
      stamp = time;
      work = 0;
    }
    const begun = performance.now();
    try {
      callback(time);
    } finally {
      work += performance.now() - begun;
    }
  });
}
window.savaFrameStats = () => {
  const sorted = Float64Array.from(frameWork).sort();
  const rank = (fraction) => (sorted.length ? sorted[Math.max(0, Math.ceil(fraction * sorted.length) - 1)] : 0);
  const ms = (value) => Math.round(value * 1000) / 1000;
  return { count: sorted.length, median: ms(rank(0.5)), p99: ms(rank(0.99)), worst: ms(rank(1)) };
};
window.savaAudioState = () => (typeof SDL === 'object' && SDL.audioContext) ? SDL.audioContext.state : 'none';

// Capture mode shows the frames alone, once all the pictures are here.
if (capturing) {
  hint.hidden = true;
  progress.hidden = false;
  say('Loading…');
  document.getElementById('fullscreen').hidden = true;
  startButton.hidden = true;
  poster.hidden = true;
  warning.hidden = true;
}

// The runtime tells the program the page is going away through an unload
// listener, which keeps the page out of the browser's back/forward cache;
// pagehide says the same and does not.
{
  const listen = window.addEventListener;
  window.addEventListener = function (type, listener, options) {
    if (type !== 'unload') return listen.call(this, type, listener, options);
    return listen.call(this, 'pagehide', () => listener({ type: 'unload' }), options);
  };
}

// The program and the show's files come once the start screen is
// complete, so that they do not hold up its picture; the program compiles
// while it streams in.
// The program's code is asked for beside its script, not after it (which
// would have to run first), and compiled while it streams in.
let programCode = null;
Module.instantiateWasm = (imports, receive) => {
  programCode.then((response) => WebAssembly.instantiateStreaming(response.clone(), imports)
    // A server that names it otherwise: compiled once it is here.
    .catch(() => response.arrayBuffer().then((code) => WebAssembly.instantiate(code, imports))))
    .then((result) => receive(result.instance),
          () => fail("Couldn't load the program (sava.wasm).", () => location.reload()));
  return {};
};
window.addEventListener('load', () => {
  if (!window.WebAssembly) return fail('This browser cannot run WebAssembly.');
  programCode = fetch('sava.wasm?v=@SITE_VERSION@', { credentials: 'same-origin' });
  const program = document.createElement('script');
  program.src = 'sava.js?v=@SITE_VERSION@';
  program.onerror = () => fail("Couldn't load the program (sava.js).", () => location.reload());
  document.body.appendChild(program);
  loadShow();
});
