'use strict';
// The token goes once in a header; the server answers with a session cookie
// the page cannot read (HttpOnly), and the page loads again.
document.getElementById('login').addEventListener('submit', async (e) => {
  e.preventDefault();
  const why = document.getElementById('why');
  const token = document.getElementById('token').value;
  try {
    const r = await fetch('/login', { headers: { 'Authorization': 'Bearer ' + token }, credentials: 'same-origin' });
    if (r.ok) { location.replace('/'); return; }
    why.textContent = r.status === 429 ? 'Too many tries; wait a minute.' : 'Wrong token.';
  } catch (err) {
    why.textContent = 'The program does not answer.';
  }
});
