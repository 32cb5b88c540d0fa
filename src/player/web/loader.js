// The show's files, fetched by the page (see page.js for the names shared
// between the page's scripts).
'use strict';

// The show's files are fetched here, a few at a time, in the order the
// show needs them from the time it starts at (data/show.json lists every
// file and the pictures each scene uses), and handed to the program as
// they arrive. The soundtrack comes in ranges beside them, one at a time,
// in show order from where the show is (or is moved to), and plays as it
// arrives (its index in the list tells the program where its frames lie).
// A scene plays once its pictures are decoded; the show starts once its
// first scene and a few seconds of its sound are here, and waits (saying
// so) when it reaches a scene or sound the network has not brought yet,
// which then comes next. A file that failed or was cut short is fetched once more;
// one that fails again, or of which nothing has arrived for a few
// seconds, is reported with a button to try again.
const stallSeconds = 6;
const retryMs = 500;
const parallel = 4;
const version = '?v=@SITE_VERSION@';
const waitingNote = document.getElementById('waiting');
let showList = null;        // data/show.json
let primedMs = 0;           // the start time the sound was made ready at
let queue = [];             // files still to fetch, the next first
let programStarted = false, listed = false, soundListed = false;
let fetching = 0, fetchedBytes = 0, totalBytes = 0;
let decoded = [], readyKey = '';
const arrivedEarly = [];    // files here before the program could take them
// The show times at which the show has waited for the network.
window.savaWaits = [];
window.savaReadyScenes = [];

// The scene (cue index) that shows time `ms`.
const sceneAt = (ms) => {
  let scene = 0;
  while (scene + 1 < showList.scenes.length && showList.scenes[scene + 1].ms <= ms) ++scene;
  return scene;
};

// Orders the files still to fetch by when the show needs them from time
// `ms` on: the pictures of its scene and the next, then each picture by the
// first scene at or after that time that uses it, then those only earlier
// scenes use. The sound is fetched from there too.
function loadFrom(ms) {
  if (!showList) return;
  const from = sceneAt(ms);
  const last = showList.scenes.length;
  soundFrom(ms);
  const key = new Map(queue.map((e) => {
    if (e.scenes.includes(from)) return [e, -3];
    if (e.scenes.includes(from + 1)) return [e, -2];
    const next = e.scenes.find((s) => s >= from);
    return [e, next !== undefined ? next : last + (e.scenes.length ? e.scenes[0] : last)];
  }));
  queue.sort((a, b) => key.get(a) - key.get(b) || a.picture - b.picture);
}

// The soundtrack, in ranges of this size: one at a time, beside the
// pictures, from the first byte missing for playing on from soundMs (and,
// once that reaches the end, from the start), until all of it is here.
const soundPiece = 256 * 1024;
let soundMs = 0;
let soundRequest = null;    // the range on its way: { at, to, abort, moved }
let soundFetched = 0;
const soundEarly = [];      // ranges here before the program could take them

// The first byte to fetch, -1 when none (all here, or the program cannot
// tell yet and the file's start is on its way or here).
function soundWanted() {
  const size = showList.soundtrack.bytes;
  if (!soundListed) return soundEarly.length || soundRequest ? -1 : 0;
  let from = Module._sava_web_sound_next_byte(soundMs);
  if (from >= size) from = Module._sava_web_sound_next_byte(0);
  return from >= size ? -1 : from;
}

function soundFrom(ms) {
  soundMs = ms;
  if (!soundRequest || !soundListed) return;
  // The range on its way goes on only if it brings what is missing next.
  const from = soundWanted();
  if (from >= 0 && (from < soundRequest.at || from >= soundRequest.to)) {
    soundRequest.moved = true;
    soundRequest.abort.abort();
  }
}

function soundArrive(offset, bytes) {
  if (!soundListed) return soundEarly.push([offset, bytes]);
  for (let at = 0; at < bytes.length; at += soundPiece) {
    const part = bytes.subarray(at, at + soundPiece);
    const buffer = Module._sava_web_sound_buffer(part.length);
    HEAPU8.set(part, buffer);
    Module._sava_web_sound_bytes(offset + at, part.length);
  }
  checkReady();
}

function fetchSound() {
  if (!showList || soundRequest || window.savaError !== null || capturing) return;
  const from = soundWanted();
  if (from < 0) return;
  const sound = showList.soundtrack;
  // Smaller while the start waits for it: its first seconds come sooner.
  const piece = soundReadyAt(startMs) ? soundPiece : soundPiece * 3 / 8;
  const request = { at: from, to: Math.min(sound.bytes, from + piece), abort: new AbortController(), moved: false };
  soundRequest = request;
  const entry = { name: sound.file, bytes: sound.bytes, picture: -1, range: [request.at, request.to] };
  fetchFile(entry, (bytes, offset) => {
    soundFetched += bytes.length;
    fetchedBytes += bytes.length;
    soundArrive(offset, bytes);
    request.at = offset + bytes.length;
  }, request.abort).then(() => {
    soundRequest = null;
    sound.triedAgain = false;
    fetchSound();
    fetchMore();
  }, (error) => {
    soundRequest = null;
    if (request.moved) return fetchSound();
    tryAgainOrFail(sound, sound.file, error, fetchSound);
  });
}

// A failure that came at once may pass (a dropped connection, a server
// busy for a moment): the file is fetched once more first (`again`).
function tryAgainOrFail(entry, name, error, again) {
  if (!error.stalled && !entry.triedAgain) {
    entry.triedAgain = true;
    setTimeout(again, retryMs);
  } else {
    entry.triedAgain = false;
    failLoading(name, error);
  }
}

// The soundtrack as it arrived, put into the offline worker's cache (of
// this version), which then does not fetch it again. It is handed over a
// piece at a time, as the cache reads it, so that no task copies all of it.
const keptPiece = 256 * 1024;
async function keepSoundtrack() {
  const at = soundListed && window.caches ? Module._sava_web_sound_data() : 0;
  if (!at) return;
  const sound = showList.soundtrack;
  let kept = 0;
  const body = new ReadableStream({
    pull(stream) {
      // The program's memory may have moved (grown), or the show ended.
      if (Module._sava_web_sound_data() !== at) return stream.error(new Error('the soundtrack was let go'));
      const piece = Math.min(keptPiece, sound.bytes - kept);
      stream.enqueue(HEAPU8.slice(at + kept, at + kept + piece));
      kept += piece;
      if (kept === sound.bytes) stream.close();
    },
  });
  const response = new Response(body, { headers: { 'Content-Type': 'audio/mpeg', 'Content-Length': String(sound.bytes) } });
  await (await caches.open('sava-' + version.slice(3))).put('data/' + sound.file + version, response);
}

// Whether the sound from `ms` on is here for a few seconds (or to the end).
function soundReadyAt(ms) {
  return soundListed && Module._sava_web_sound_ahead_ms(ms) >= Math.min(3000, showList.length_ms - ms);
}

// What is wrong with the show's list, or '' when it is sound: every file
// named with its size, every picture with its size, at least one scene,
// scenes in time order, each with pictures the list has.
function listProblem(list) {
  const count = (n) => Number.isInteger(n) && n >= 0;
  const file = (f) => f !== null && typeof f === 'object' && typeof f.file === 'string' && f.file !== '' &&
                      !f.file.includes('/') && count(f.bytes);
  if (list === null || typeof list !== 'object') return 'it is not an object';
  if (!count(list.length_ms) || list.length_ms === 0) return 'its length_ms is not a positive whole number';
  if (!file(list.soundtrack) || typeof list.soundtrack.index !== 'string') {
    return 'its soundtrack is not a file with its size and its index';
  }
  if (!Array.isArray(list.pictures) || !list.pictures.length) return 'it lists no pictures';
  const bad = list.pictures.findIndex((p) => !file(p) || !count(p.width) || !count(p.height) || !p.width || !p.height);
  if (bad >= 0) return `its picture ${bad} is not a file with its size and its picture size`;
  if (!Array.isArray(list.scenes) || !list.scenes.length) return 'it lists no scenes';
  for (const [i, scene] of list.scenes.entries()) {
    if (scene === null || typeof scene !== 'object' || !count(scene.ms) || (i > 0 && scene.ms < list.scenes[i - 1].ms) ||
        typeof scene.name !== 'string' || !Array.isArray(scene.pictures)) {
      return `its scene ${i} is not a time in order, a name and a list of pictures`;
    }
    const out = scene.pictures.find((p) => !Number.isInteger(p) || p < 0 || p >= list.pictures.length);
    if (out !== undefined) return `its scene ${i} uses picture ${JSON.stringify(out)}, which it does not list`;
  }
  const softened = list.softened === undefined ? [] : list.softened;
  if (!Array.isArray(softened) || !softened.every((s) => Array.isArray(s) && s.length === 4 && s.every(Number.isInteger))) {
    return 'its softened stretches are not lists of four whole numbers';
  }
  return '';
}

async function loadShow() {
  let list;
  try {
    list = await fetchFile({ name: 'show.json', bytes: -1 });
  } catch (error) {
    return failLoading('show.json', error);
  }
  let problem;
  try {
    list = JSON.parse(new TextDecoder().decode(list));
    problem = listProblem(list);
  } catch (error) {
    problem = 'it is not JSON';
  }
  if (problem) return fail(`The show's list data/show.json is damaged: ${problem}. The site needs to be put up again.`);
  showList = list;
  window.savaShowList = showList;
  if (startMs >= showList.length_ms) startMs = 0;
  showStartTime();
  const users = showList.pictures.map(() => []);
  showList.scenes.forEach((scene, i) => scene.pictures.forEach((p) => users[p].push(i)));
  queue = showList.pictures.map((p, i) => ({ name: p.file, bytes: p.bytes, picture: i, scenes: users[i] }));
  totalBytes = queue.reduce((sum, e) => sum + e.bytes, showList.soundtrack.bytes);
  decoded = showList.pictures.map(() => false);
  loadFrom(startMs);
  listPictures();
  fetchMore();
}

function listPictures() {
  if (!programStarted || !showList || listed) return;
  try {
    Module.FS.mkdir('data');
  } catch (e) {}
  showList.pictures.forEach((p, i) => Module._sava_web_picture_size(i, p.width, p.height));
  (showList.softened || []).forEach((s) => Module._sava_web_softened(s[0], s[1], s[2], s[3]));
  Module._sava_web_listed();
  if (capturing) return;
  Module.FS.writeFile('data/sound-index', showList.soundtrack.index);
  primedMs = startMs;
  Module._sava_web_sound_listed(startMs);
  soundListed = true;
  for (const [offset, bytes] of soundEarly) soundArrive(offset, bytes);
  soundEarly.length = 0;
  fetchSound();
}

// Until the show can start, only the pictures of its first scene are
// fetched (beside the sound), so that nothing else shares the network.
const neededFirst = (entry) => window.savaReady || capturing || entry.scenes.includes(sceneAt(startMs));
function fetchMore() {
  fetchSound();
  while (window.savaError === null && fetching < parallel - (soundRequest ? 1 : 0) && queue.length &&
         neededFirst(queue[0])) {
    const entry = queue.shift();
    ++fetching;
    fetchFile(entry).then((data) => {
      --fetching;
      fetchedBytes += data.length;
      if (listed) arrive(entry, data);
      else arrivedEarly.push([entry, data]);
      showLoading();
      fetchMore();
    }, (error) => {
      --fetching;
      queue.unshift(entry);
      tryAgainOrFail(entry, entry.name, error, fetchMore);
    });
  }
  if (!capturing && !queue.length && !fetching && soundListed && soundWanted() < 0 && !soundRequest &&
      !window.savaOffline) {
    keepForOffline();
  }
}

// A file whole, or an error saying what went wrong. With entry.range
// ([from, to)) only those bytes are asked for, and each piece goes to
// `take(bytes, offset)` as it comes (a server that ignores the range sends
// the whole file, which comes in from offset 0).
async function fetchFile(entry, take = null, abort = new AbortController()) {
  let stalled = false, watchdog = 0;
  const watch = () => {
    clearTimeout(watchdog);
    watchdog = setTimeout(() => {
      stalled = true;
      abort.abort();
    }, stallSeconds * 1000);
  };
  try {
    watch();
    const range = entry.range ? { headers: { Range: `bytes=${entry.range[0]}-${entry.range[1] - 1}` } } : {};
    const response = await fetch('data/' + entry.name + version, { signal: abort.signal, ...range });
    if (!response.ok) throw new Error(`the server answered ${response.status} ${response.statusText}`.trim());
    // A range answered as such, or the whole file.
    const partial = entry.range && response.status === 206;
    const offset = partial ? entry.range[0] : 0;
    const expected = partial ? entry.range[1] - entry.range[0] : entry.bytes;
    if (partial && !new RegExp(`^bytes ${offset}-`).test(response.headers.get('Content-Range') || '')) {
      throw new Error(`the server answered another range (${response.headers.get('Content-Range')})`);
    }
    const reader = response.body.getReader();
    const chunks = [];
    let loaded = 0;
    for (;;) {
      watch();
      const { done, value } = await reader.read();
      if (done) break;
      if (expected >= 0 && loaded + value.length > expected) {
        loaded += value.length;
        abort.abort();
        break;
      }
      if (take) take(value, offset + loaded);
      else chunks.push(value);
      loaded += value.length;
    }
    if (expected >= 0 && loaded > expected) {
      throw new Error(`it is longer than listed: more than ${entry.bytes} bytes. The site needs to be put up again`);
    }
    if (expected >= 0 && loaded !== expected) {
      throw new Error(`it is incomplete: ${offset + loaded} of ${entry.bytes} bytes. The site needs to be put up again`);
    }
    const whole = new Uint8Array(loaded);
    let at = 0;
    for (const chunk of chunks) {
      whole.set(chunk, at);
      at += chunk.length;
    }
    return whole;
  } catch (error) {
    if (!stalled) throw error;
    throw Object.assign(new Error(`nothing arrived for ${stallSeconds} seconds`), { stalled: true });
  } finally {
    clearTimeout(watchdog);
  }
}

// While the show plays, the message covers it until the viewer tries
// again (the show itself goes on until it reaches a scene not loaded).
function failLoading(name, error) {
  fail(`Couldn't load the show's data/${name}: ${error.message}.`, () => {
    const playing = stage.classList.contains('playing');
    statusLine.classList.remove('error');
    window.savaError = null;
    retryButton.hidden = true;
    startButton.hidden = capturing || playing;
    warning.hidden = capturing || playing;
    panel.hidden = playing;
    say('');
    if (showList) fetchMore();
    else loadShow();
  });
}

// A file into the program's data/ folder.
function arrive(entry, data) {
  Module.FS.writeFile('data/' + entry.name, data);
  Module._sava_web_picture_arrived(entry.picture);
}

// Which scenes have all their pictures: told to the program (it plays
// only those) and to the controls (the timeline shows them).
function updateReadyScenes() {
  const ready = showList.scenes.map((scene) => scene.pictures.every((p) => decoded[p]));
  const key = ready.map((r) => (r ? '1' : '0')).join('');
  if (key !== readyKey) {
    // Only the scenes that changed: each call has the program work out
    // again what it may play.
    ready.forEach((r, i) => {
      if (readyKey[i] !== key[i]) Module._sava_web_scene_ready(i, r ? 1 : 0);
    });
    readyKey = key;
    window.savaReadyScenes = ready;
  }
  checkReady();
}

// Play starts the show at once when its first scene and the first seconds
// of its sound are here.
// After a failure the page waits for the viewer to try again: a readiness
// reached meanwhile (from bytes that did arrive) neither starts the show nor
// takes the failure's message away.
function checkReady() {
  if (window.savaReady || window.savaError !== null || capturing || !listed || !soundReadyAt(startMs) ||
      !window.savaReadyScenes[sceneAt(startMs)]) {
    return;
  }
  window.savaReady = true;
  progress.hidden = true;
  fetchMore();
  if (playQueued) {
    play();
  } else {
    say('');
  }
}

// Shown once Play is waited for (the start screen itself stays still).
function showLoading() {
  if (capturing || !playQueued || window.savaReady) return;
  progress.hidden = false;
  if (!showList) return say('Loading…');
  if (!soundReadyAt(startMs)) {
    progress.value = soundListed ? Module._sava_web_sound_ahead_ms(startMs) / 3000 : 0;
    say('Loading the music…');
  } else {
    progress.value = fetchedBytes / totalBytes;
    say('Loading the first pictures…');
  }
}
setInterval(showLoading, 250);
