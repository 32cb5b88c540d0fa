// The show's files, fetched by the page (see page.js for the names shared
// between the page's scripts).
'use strict';

// The show's files are fetched here, a few at a time, in the order the
// show needs them from the time it starts at (data/show.json lists every
// file and the pictures each scene uses), and handed to the program as
// they arrive. A scene plays once its pictures are decoded; the show
// starts once its sound and its first scene are here, and waits (saying
// so) when it reaches a scene the network has not brought yet, which then
// comes next. A file that failed or was cut short is fetched once more;
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
let programStarted = false, listed = false, soundHere = false;
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
// `ms` on: the pictures of its scene and the next, then the sound (alone:
// nothing plays without it), then each picture by the first scene at or
// after that time that uses it, then those only earlier scenes use.
const isSound = (entry) => entry.picture < 0;
function loadFrom(ms) {
  if (!showList) return;
  const from = sceneAt(ms);
  const last = showList.scenes.length;
  const key = new Map(queue.map((e) => {
    if (e.scenes.includes(from)) return [e, -3];
    if (e.scenes.includes(from + 1)) return [e, -2];
    if (isSound(e)) return [e, -1];
    const next = e.scenes.find((s) => s >= from);
    return [e, next !== undefined ? next : last + (e.scenes.length ? e.scenes[0] : last)];
  }));
  queue.sort((a, b) => key.get(a) - key.get(b) || a.picture - b.picture);
}
let soundFetching = false;

// What is wrong with the show's list, or '' when it is sound: every file
// named with its size, every picture with its size, at least one scene,
// scenes in time order, each with pictures the list has.
function listProblem(list) {
  const count = (n) => Number.isInteger(n) && n >= 0;
  const file = (f) => f !== null && typeof f === 'object' && typeof f.file === 'string' && f.file !== '' &&
                      !f.file.includes('/') && count(f.bytes);
  if (list === null || typeof list !== 'object') return 'it is not an object';
  if (!count(list.length_ms) || list.length_ms === 0) return 'its length_ms is not a positive whole number';
  if (!file(list.soundtrack)) return 'its soundtrack is not a file with its size';
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
  queue.push({ name: showList.soundtrack.file, bytes: showList.soundtrack.bytes, picture: -1, scenes: [] });
  totalBytes = queue.reduce((sum, e) => sum + e.bytes, 0);
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
}

function fetchMore() {
  while (window.savaError === null && fetching < (soundFetching ? 1 : parallel) && queue.length) {
    const entry = queue.shift();
    ++fetching;
    if (isSound(entry)) soundFetching = true;
    fetchFile(entry).then((data) => {
      --fetching;
      if (isSound(entry)) soundFetching = false;
      fetchedBytes += data.length;
      if (listed) arrive(entry, data);
      else arrivedEarly.push([entry, data]);
      showLoading();
      fetchMore();
    }, (error) => {
      --fetching;
      if (isSound(entry)) soundFetching = false;
      queue.unshift(entry);
      // A failure that came at once may pass (a dropped connection, a
      // server busy for a moment): the file is fetched once more first.
      if (!error.stalled && !entry.triedAgain) {
        entry.triedAgain = true;
        setTimeout(fetchMore, retryMs);
      } else {
        entry.triedAgain = false;
        failLoading(entry.name, error);
      }
    });
  }
  if (!capturing && !queue.length && !fetching && !window.savaOffline) keepForOffline();
}

// A file whole, or an error saying what went wrong.
async function fetchFile(entry) {
  const abort = new AbortController();
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
    const response = await fetch('data/' + entry.name + version, { signal: abort.signal });
    if (!response.ok) throw new Error(`the server answered ${response.status} ${response.statusText}`.trim());
    const reader = response.body.getReader();
    const chunks = [];
    let loaded = 0;
    for (;;) {
      watch();
      const { done, value } = await reader.read();
      if (done) break;
      chunks.push(value);
      loaded += value.length;
      if (entry.bytes >= 0 && loaded > entry.bytes) {
        abort.abort();
        break;
      }
      if (entry.picture < 0) soundLoaded = loaded;
    }
    if (entry.bytes >= 0 && loaded > entry.bytes) {
      throw new Error(`it is longer than listed: more than ${entry.bytes} bytes. The site needs to be put up again`);
    }
    if (entry.bytes >= 0 && loaded !== entry.bytes) {
      throw new Error(`it is incomplete: ${loaded} of ${entry.bytes} bytes. The site needs to be put up again`);
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
  if (entry.picture >= 0) {
    Module._sava_web_picture_arrived(entry.picture);
  } else if (!capturing) {
    primedMs = startMs;
    Module._sava_web_sound_arrived(startMs);
    soundHere = true;
    checkReady();
  }
}

// Which scenes have all their pictures: told to the program (it plays
// only those) and to the controls (the timeline shows them).
function updateReadyScenes() {
  const ready = showList.scenes.map((scene) => scene.pictures.every((p) => decoded[p]));
  const key = ready.map((r) => (r ? '1' : '0')).join('');
  if (key !== readyKey) {
    readyKey = key;
    window.savaReadyScenes = ready;
    ready.forEach((r, i) => Module._sava_web_scene_ready(i, r ? 1 : 0));
  }
  checkReady();
}

// Play starts the show at once when its sound and its first scene are here.
let soundLoaded = 0;
function checkReady() {
  if (window.savaReady || capturing || !listed || !soundHere || !window.savaReadyScenes[sceneAt(startMs)]) return;
  window.savaReady = true;
  progress.hidden = true;
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
  if (!soundHere) {
    const sound = showList.soundtrack.bytes;
    progress.value = soundLoaded / sound;
    say(`Loading the music: ${(soundLoaded / 1e6).toFixed(1)} of ${(sound / 1e6).toFixed(1)} MB`);
  } else {
    progress.value = fetchedBytes / totalBytes;
    say('Loading the first pictures…');
  }
}
setInterval(showLoading, 250);
